#include "topdialog.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {
void bringForward(QWidget* w) {
    if (!w)
        return;
    w->raise();
    w->activateWindow();
}
} // namespace

void keepAbove(QDialog& dialog, QWidget* owner) {
    QWidget* main = owner ? owner->window() : QApplication::activeWindow();
    if (!main || main == &dialog)
        return;
    // Both need native windows before one can be told it belongs to the other.
    main->winId();
    dialog.winId();
    if (QWindow* handle = dialog.windowHandle())
        handle->setTransientParent(main->windowHandle());
}

int execAbove(QDialog& dialog, QWidget* owner) {
    keepAbove(dialog, owner);
    // exec() shows the dialog before its loop runs; the first turn of the loop raises it.
    QTimer::singleShot(0, &dialog, [&dialog]() { bringForward(&dialog); });
    return dialog.exec();
}

void raiseWorkingWindow(QWidget* fallback) {
    QWidget* modal = QApplication::activeModalWidget();
    bringForward(modal ? modal : (fallback ? fallback->window() : nullptr));
}
