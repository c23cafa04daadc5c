#pragma once
// The client's pictures at the screen's density. They are drawn from SVG
// sources: a picture painted at 200 % is drawn again at twice the pixels,
// never a small bitmap blown up. Style sheets and icons find "<name>@2x"
// (made by the build) on their own; code that paints a picture itself or
// sets it as a background goes through here.

#include <QPixmap>
#include <QSize>
#include <QString>

class QToolButton;
class QWidget;

namespace pictures {

// The density pictures are made for: that of the densest screen, so that a
// picture made once looks sharp wherever its window goes.
qreal density();

// The picture at size (logical pixels), drawn at dpr device pixels per
// logical one and marked so. A null size means the picture's own size.
QPixmap at(const QString& resource, QSize size = QSize(), qreal dpr = density());

// A picture stretched over a whole widget as its Window brush (and, with
// shaped, its outline as the widget's mask): drawn at the widget's density.
void setBackground(QWidget* widget, const QString& resource, const QSize& size, bool shaped);

// A tool button that is the picture ":/images/<picture>" stretched to its
// fixed size, named name (the style sheet's and the tests' handle).
QToolButton* button(const char* name, const QString& picture, const QSize& size, QWidget* parent);

} // namespace pictures
