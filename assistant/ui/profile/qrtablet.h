#pragma once
// A caption above a picture (the contact codes of the profile page).

#include <QWidget>

class QLabel;
class QPixmap;

class QRTablet : public QWidget {
    Q_OBJECT
public:
    explicit QRTablet(QWidget* parent = nullptr);

    void setCaption(const QString& text);
    void setPicture(const QPixmap& picture);

private:
    QLabel* m_caption = nullptr;
    QLabel* m_picture = nullptr;
};
