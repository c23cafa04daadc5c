#pragma once
// A checkable day of the fortnight in the day picker; tells its day index when toggled.

#include <QToolButton>

class DayButton : public QToolButton {
    Q_OBJECT
public:
    explicit DayButton(int day, QWidget* parent = nullptr);
    int day() const { return m_day; }

signals:
    void dayBtnToggled(int day, bool checked);

private:
    int m_day;
};
