#pragma once
// The main window's title: a label that reports presses, so the school's name
// doubles as the way into the profile.

#include <QLabel>

class TitleLabel : public QLabel {
    Q_OBJECT
public:
    explicit TitleLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    bool event(QEvent* e) override;
};
