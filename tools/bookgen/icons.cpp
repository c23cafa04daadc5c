#include "icons.h"

#include "art.h"
#include "characters.h"

#include <QLinearGradient>

namespace icons {

namespace {

constexpr int kSize = 128;

QPainterPath tileShape() {
    QPainterPath path;
    path.addRoundedRect(QRectF(4, 4, kSize - 8, kSize - 8), 26, 26);
    return path;
}

// A rounded tile with a gradient; the picture on it is clipped to the tile.
void tile(art::Pen& p, const QColor& top, const QColor& bottom) {
    QLinearGradient g(0, 4, 0, kSize - 4);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(tileShape());
    p.setClipPath(tileShape());
}

void frame(art::Pen& p) {
    p.setClipping(false);
    p.setPen(art::outlinePen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tileShape());
}

void put(QPainter& p, const QImage& image, const QPointF& centre, double width) {
    const double scale = width / image.width();
    const QSizeF size(image.width() * scale, image.height() * scale);
    p.drawImage(QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size), image);
}

void note(art::Pen& p, const QPointF& at, double s, const QColor& colour) {
    QPainterPath head;
    head.addEllipse(at, s * 0.32, s * 0.24);
    QPainterPath stem;
    stem.addRect(QRectF(at.x() + s * 0.22, at.y() - s, s * 0.12, s));
    QPainterPath flag;
    flag.moveTo(at.x() + s * 0.3, at.y() - s);
    flag.quadTo(at.x() + s * 0.75, at.y() - s * 0.7, at.x() + s * 0.6, at.y() - s * 0.35);
    flag.quadTo(at.x() + s * 0.6, at.y() - s * 0.6, at.x() + s * 0.3, at.y() - s * 0.7);
    flag.closeSubpath();
    p.shape((head + stem + flag).simplified(), colour, 3.5);
}

QImage meadow() {
    QImage img = art::canvas(kSize, kSize);
    art::Pen p(&img);
    tile(p, QColor(90, 186, 248), QColor(200, 236, 255));
    art::hill(p, -20, 150, 96, 70, 70, QColor(110, 200, 88), kSize);
    put(p, characters::sunFace(), QPointF(98, 30), 40);
    put(p, characters::cow(), QPointF(58, 80), 96);
    frame(p);
    return img;
}

QImage shapes() {
    QImage img = art::canvas(kSize, kSize);
    art::Pen p(&img);
    tile(p, QColor(255, 246, 200), QColor(255, 224, 150));
    put(p, characters::triangleBuddy(), QPointF(64, 40), 64);
    put(p, characters::circleBuddy(), QPointF(38, 88), 52);
    put(p, characters::squareBuddy(), QPointF(90, 88), 50);
    frame(p);
    return img;
}

QImage pack() {
    QImage img = art::canvas(kSize, kSize);
    art::Pen p(&img);
    tile(p, QColor(255, 190, 80), QColor(255, 130, 60));
    // An open picture book with a star rising out of it.
    QPainterPath left;
    left.moveTo(64, 102);
    left.cubicTo(48, 92, 30, 92, 18, 96);
    left.lineTo(18, 58);
    left.cubicTo(30, 54, 48, 54, 64, 64);
    left.closeSubpath();
    QPainterPath right = QTransform(-1, 0, 0, 1, 128, 0).map(left);
    p.shape(left, QColor(255, 252, 240), 4);
    p.shape(right, QColor(255, 252, 240), 4);
    p.setPen(QPen(QColor(120, 190, 255), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(28, 70 + i * 8), QPointF(54, 74 + i * 8));
        p.drawLine(QPointF(74, 74 + i * 8), QPointF(100, 70 + i * 8));
    }
    put(p, characters::starFace(), QPointF(64, 36), 52);
    frame(p);
    return img;
}

QImage songs() {
    QImage img = art::canvas(kSize, kSize);
    art::Pen p(&img);
    tile(p, QColor(190, 140, 255), QColor(130, 90, 230));
    note(p, QPointF(44, 92), 56, QColor(255, 214, 60));
    note(p, QPointF(84, 78), 46, QColor(255, 130, 170));
    p.shape(art::roundedStarPath(QPointF(100, 28), 14, 6, 5), QColor(255, 250, 200), 3);
    frame(p);
    return img;
}

QImage songWith(const QColor& top, const QColor& bottom, const QImage& picture, const QPointF& at,
                double width, const QColor& noteColour) {
    QImage img = art::canvas(kSize, kSize);
    art::Pen p(&img);
    tile(p, top, bottom);
    put(p, picture, at, width);
    note(p, QPointF(36, 100), 40, noteColour);
    frame(p);
    return img;
}

QImage march() {
    QImage img = art::canvas(kSize, kSize);
    art::Pen p(&img);
    tile(p, QColor(150, 226, 120), QColor(80, 180, 90));
    // A toy drum with two sticks.
    QPainterPath body;
    body.addRoundedRect(QRectF(30, 56, 68, 46), 10, 10);
    p.shape(body, QColor(240, 80, 80), 4);
    p.setPen(QPen(QColor(255, 214, 60), 4));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(34 + i * 20, 60), QPointF(44 + i * 20, 98));
    p.ellipseShape(QPointF(64, 56), 34, 10, QColor(255, 250, 235), 4);
    p.setPen(art::outlinePen(6));
    p.drawLine(QPointF(40, 22), QPointF(60, 48));
    p.drawLine(QPointF(92, 22), QPointF(70, 48));
    p.ellipseShape(QPointF(40, 22), 7, 7, QColor(255, 214, 60), 3);
    p.ellipseShape(QPointF(92, 22), 7, 7, QColor(255, 214, 60), 3);
    frame(p);
    return img;
}

} // namespace

QStringList kinds() {
    return {"meadow", "shapes", "pack", "songs", "morning", "march", "lullaby", "birds"};
}

QImage icon(const QString& kind) {
    if (kind == "meadow")
        return meadow();
    if (kind == "shapes")
        return shapes();
    if (kind == "pack")
        return pack();
    if (kind == "songs")
        return songs();
    if (kind == "morning")
        return songWith(QColor(120, 200, 255), QColor(220, 244, 255), characters::sunFace(), QPointF(78, 52),
                        76, QColor(255, 130, 60));
    if (kind == "march")
        return march();
    if (kind == "lullaby")
        return songWith(QColor(40, 50, 120), QColor(90, 100, 180), characters::moon(), QPointF(76, 52), 96,
                        QColor(255, 240, 150));
    if (kind == "birds")
        return songWith(QColor(140, 220, 255), QColor(180, 236, 160), characters::bird(0), QPointF(76, 54),
                        84, QColor(255, 110, 140));
    return QImage();
}

} // namespace icons
