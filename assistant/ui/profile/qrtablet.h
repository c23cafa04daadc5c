#pragma once
// A caption above a picture (the contact codes of the profile page), 128 x 150.

#include <QWidget>

class QPixmap;

class QRTablet : public QWidget {
    Q_OBJECT
public:
    QRTablet(const QString& caption, const QPixmap& picture, QWidget* parent = nullptr);
};
