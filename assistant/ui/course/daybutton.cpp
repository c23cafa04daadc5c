#include "daybutton.h"

DayButton::DayButton(int day, QWidget* parent) : QToolButton(parent), m_day(day) {
    setFixedSize(20, 60);
    setCheckable(true);
    connect(this, &QToolButton::toggled, this, [this](bool checked) { emit dayBtnToggled(m_day, checked); });
}
