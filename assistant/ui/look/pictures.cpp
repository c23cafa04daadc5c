#include "pictures.h"

#include <QBitmap>
#include <QBrush>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSvgRenderer>
#include <QToolButton>
#include <QWidget>
#include <QtMath>

namespace pictures {

qreal density() {
    qreal dpr = 1.0;
    if (qGuiApp) {
        for (const QScreen* screen : QGuiApplication::screens())
            dpr = qMax(dpr, screen->devicePixelRatio());
    }
    return dpr;
}

QPixmap at(const QString& resource, QSize size, qreal dpr) {
    dpr = qMax<qreal>(1.0, dpr);
    QSvgRenderer svg;
    if (QImageReader(resource).format() == "svg" && svg.load(resource)) {
        if (size.isEmpty())
            size = svg.defaultSize();
        const QSize pixels(qCeil(size.width() * dpr), qCeil(size.height() * dpr));
        QPixmap picture(pixels);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        painter.end();
        picture.setDevicePixelRatio(dpr);
        return picture;
    }
    // A bitmap (a pack's icon, an avatar) is only ever made smaller or kept.
    QPixmap picture(resource);
    if (picture.isNull() || size.isEmpty())
        return picture;
    picture = picture.scaled(QSize(qCeil(size.width() * dpr), qCeil(size.height() * dpr)),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(dpr);
    return picture;
}

void setBackground(QWidget* widget, const QString& resource, const QSize& size, bool shaped) {
    if (!widget || size.isEmpty())
        return;
    const qreal dpr = qMax<qreal>(1.0, widget->devicePixelRatioF());
    const QPixmap picture = at(resource, size, dpr);
    if (shaped) {
        // The outline in logical pixels: a mask knows nothing of density.
        widget->setMask(dpr == 1.0 ? picture.mask() : at(resource, size, 1.0).mask());
    }
    // The texture keeps its density: Qt lays it out in logical pixels.
    QPalette pal = widget->palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(picture));
    widget->setPalette(pal);
}

QToolButton* button(const char* name, const QString& picture, const QSize& size, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setFixedSize(size);
    b->setStyleSheet(QString("QToolButton{border-image:url(:/images/%1)}").arg(picture));
    return b;
}

} // namespace pictures
