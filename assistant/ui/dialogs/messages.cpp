#include "messages.h"

#include "ui/dialogs/topdialog.h"

namespace messages {

int show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return parent ? execAbove(box, parent) : box.exec();
}

bool ask(QWidget* parent, const QString& title, const QString& text) {
    return show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty())
        return text;
    // Marked up as one preformatted paragraph, so that nothing in it is read as markup.
    return "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>";
}

} // namespace messages
