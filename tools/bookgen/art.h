#pragma once
// Drawing helpers for the picture-book style: thick soft outlines, flat bright
// colours, round friendly faces, sticker-like lettering.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace art {

// The one outline colour of every character: a warm dark brown reads softer than black.
QColor ink();
QPen outlinePen(double width = 5.0);

// A transparent canvas of w x h pixels.
QImage canvas(int w, int h);
// An opaque canvas for a page background.
QImage opaqueCanvas(int w, int h);
// PNG with straight alpha; false when the file cannot be written.
bool savePng(const QImage& image, const QString& path);

// A painter with antialiasing on, for the given image.
class Pen : public QPainter {
public:
    explicit Pen(QImage* image);
    // Fill then outline.
    void shape(const QPainterPath& path, const QColor& fill, double outline = 5.0);
    void ellipseShape(const QPointF& centre, double rx, double ry, const QColor& fill, double outline = 5.0);
    // A flat fill without outline.
    void fillShape(const QPainterPath& path, const QColor& fill);
    // A soft white shine, the highlight that makes shapes look round.
    void shine(const QPointF& centre, double rx, double ry, double angle = -30, int alpha = 150);
};

enum class Mood { Happy, Grin, Sleepy, Singing, Surprised, Wink };

// A face centred on centre; size is about the width of the face.
void face(QPainter& p, const QPointF& centre, double size, Mood mood = Mood::Happy);
void eye(QPainter& p, const QPointF& centre, double r);
void cheek(QPainter& p, const QPointF& centre, double r);

// Path helpers.
QPainterPath starPath(const QPointF& centre, double outer, double inner, int points,
                      double rotationDeg = -90);
QPainterPath roundedStarPath(const QPointF& centre, double outer, double inner, int points);
QPainterPath cloudPath(const QPointF& centre, double width);
QPainterPath heartPath(const QPointF& centre, double size);

// Scenery.
void sky(QPainter& p, const QRectF& area, const QColor& top, const QColor& bottom);
void cloud(QPainter& p, const QPointF& centre, double width, int alpha = 255);
void hill(QPainter& p, double left, double right, double baseY, double topY, double peakX,
          const QColor& colour, double bottom);
void flower(QPainter& p, const QPointF& centre, double r, const QColor& petals);
void tuft(QPainter& p, const QPointF& base, double size, const QColor& colour);
void sunburstGlow(QPainter& p, const QPointF& centre, double radius, const QColor& colour);

// Lettering: glyph outlines with a thick ink edge and a white rim, like a sticker.
QFont bookFont(double pixelSize, bool bold = true);
void stickerText(QPainter& p, const QString& text, const QPointF& centre, double pixelSize,
                 const QColor& fill, double rim = 10.0);
// A rounded board with one line of English and one of Chinese under it.
void caption(QPainter& p, const QRectF& board, const QString& english, const QString& chinese,
             const QColor& englishColour);

} // namespace art
