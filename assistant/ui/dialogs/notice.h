#pragma once
// A short notice at the foot of a window that needs no click: it says what
// just happened ("Imported: ...") or why a click did nothing, and goes by
// itself after a few seconds. A new notice replaces the one showing. The text
// is shown as it is written.

#include <QString>

class QWidget;

namespace notice {

constexpr int kShownMs = 4000;

// Shows text over the window that `over` belongs to.
void show(QWidget* over, const QString& text, int ms = kShownMs);

} // namespace notice
