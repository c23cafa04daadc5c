#pragma once
// The content page's form for the daily scenes; an empty page until its views are built.

#include <QWidget>

class DailyForm : public QWidget {
    Q_OBJECT
public:
    explicit DailyForm(QWidget* parent = nullptr);
};
