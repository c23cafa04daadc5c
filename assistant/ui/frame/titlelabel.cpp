#include "titlelabel.h"

#include <QEvent>
#include <QPalette>

TitleLabel::TitleLabel(QWidget* parent) : QLabel(parent) {
    QFont f = font();
    f.setPointSize(18);
    f.setWeight(75);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::All, QPalette::WindowText, QColor("#128A6F"));
    setPalette(pal);
}

bool TitleLabel::event(QEvent* e) {
    const bool handled = QLabel::event(e);
    if (e->type() == QEvent::MouseButtonPress) {
        emit clicked();
        return true;
    }
    return handled;
}
