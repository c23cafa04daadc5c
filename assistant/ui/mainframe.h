#pragma once
// The client's main window (frameless, full screen).

#include <QWidget>

class MainFrame : public QWidget {
    Q_OBJECT
public:
    explicit MainFrame(QWidget* parent = nullptr);
};
