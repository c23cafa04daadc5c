#include "qrtablet.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPixmap>

QRTablet::QRTablet(QWidget* parent) : QWidget(parent) {
    setObjectName("QRTablet");
    setWindowTitle(tr("QRTablet"));
    m_caption = new QLabel(this);
    m_caption->setObjectName("profileLabel");
    m_caption->setAlignment(Qt::AlignHCenter);
    m_picture = new QLabel(this);
    m_picture->setObjectName("picture");
    m_picture->setScaledContents(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(m_picture);
}

void QRTablet::setCaption(const QString& text) {
    m_caption->setText(text);
}

void QRTablet::setPicture(const QPixmap& picture) {
    m_picture->setPixmap(picture);
}
