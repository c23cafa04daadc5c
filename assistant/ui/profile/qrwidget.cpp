#include "qrwidget.h"

#include <QPainter>
#include <qrencode.h>

QRWidget::QRWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("QRWidget");
}

void QRWidget::setQRData(const QString& data) {
    m_data = data;
    update();
}

void QRWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QByteArray utf8 = m_data.toUtf8();
    QRcode* qr = QRcode_encodeString(utf8.constData(), 1, QR_ECLEVEL_L, QR_MODE_8, 1);
    if (!qr) {
        painter.fillRect(rect(), QColor("red"));
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor("white"));
    painter.drawRect(rect());

    // Readers find the symbol by the light margin around it (four modules):
    // on the dialog's dark background a code drawn edge to edge cannot be read.
    constexpr int kQuietModules = 4;
    const int width = qr->width;
    const int n = (width > 0 ? width : 1) + 2 * kQuietModules;
    const double side = qMin(this->width(), height());
    const double s = side / n;
    painter.setBrush(QColor("black"));
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            if (qr->data[y * width + x] & 1)
                painter.drawRect(QRectF((x + kQuietModules) * s, (y + kQuietModules) * s, s, s));
        }
    }
    QRcode_free(qr);
}
