#include "mainframe.h"

MainFrame::MainFrame(QWidget* parent) : QWidget(parent) {
    setObjectName("MainFrame");
    setWindowFlags(Qt::FramelessWindowHint);
}
