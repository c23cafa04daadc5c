#pragma once
// Message boxes and tool tips whose text is shown as it is written. Names,
// notes and addresses come from packs, the service and teachers; Qt would
// take text that looks like markup for markup (a school name of
// "<h1>...</h1>" printed big and red, an <img> showing a local picture).
// Every box comes up over the window it belongs to.

#include <QMessageBox>
#include <QString>

class QWidget;

namespace messages {

int show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
inline void inform(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Information, title, text);
}
inline void warn(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Warning, title, text);
}
inline void fail(QWidget* parent, const QString& title, const QString& text) {
    show(parent, QMessageBox::Critical, title, text);
}
// Yes and No, No by default; true on Yes.
bool ask(QWidget* parent, const QString& title, const QString& text);

// A tool tip that shows text as it is written.
QString plainToolTip(const QString& text);

} // namespace messages
