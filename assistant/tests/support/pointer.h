#pragma once
// Real-pointer helpers for every suite that runs its own widgets on a private
// X server (the *_pointer suites): clicks at a widget's centre on screen as a
// person would make them, typing, picking from a list, paging a grid through
// with its arrows, and the screen once it shows what a test waits for.

#include "support/xvfb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

class QComboBox;
class QLineEdit;

namespace pointer {

// Lets the window system and the layouts catch up.
inline void settle(int ms = 300) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A real click at a point of the widget (its centre by default), in the widget's coordinates.
inline void clickAt(const testsupport::Xvfb& x, QWidget* w, QPoint at = QPoint(-1, -1)) {
    ASSERT_TRUE(w && w->isVisible());
    if (at.x() < 0)
        at = w->rect().center();
    const QPoint global = w->mapToGlobal(at);
    ASSERT_TRUE(x.click(global.x(), global.y()));
    settle(150);
}

// Clicks into the edit, replaces its text by typing, and waits until the edit holds expected.
void typeInto(const testsupport::Xvfb& x, QLineEdit* edit, const QString& text, const QString& expected);
// Opens the combo box's list with a click and clicks its entry index.
void pick(const testsupport::Xvfb& x, QComboBox* box, int index);
// The screen once this process has painted what it has to and ready() holds
// (the last screenshot when it never does).
QImage screenWhen(const testsupport::Xvfb& x, const std::function<bool(const QImage&)>& ready,
                  int timeoutMs = 10000);

// Pages forward with the "nextBtn" arrow to the last page, then back with
// "prevBtn", checking after each click that the page moved.
void pageThrough(const testsupport::Xvfb& x, QWidget* list, const std::function<int()>& page, int pages,
                 const char* what);

} // namespace pointer
