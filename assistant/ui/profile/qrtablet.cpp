#include "qrtablet.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPixmap>

QRTablet::QRTablet(const QString& caption, const QPixmap& picture, QWidget* parent) : QWidget(parent) {
    setObjectName("QRTablet");
    setWindowTitle(tr("QRTablet"));
    setFixedSize(128, 150);
    auto* text = new QLabel(caption, this);
    text->setObjectName("profileLabel");
    text->setAlignment(Qt::AlignHCenter);
    auto* shown = new QLabel(this);
    shown->setObjectName("picture");
    shown->setScaledContents(true);
    shown->setPixmap(picture);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(shown);
}
