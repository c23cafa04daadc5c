#include "characters.h"

#include "art.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

using art::Mood;
using art::Pen;

namespace characters {

namespace {

QPainterPath ellipsePath(const QPointF& c, double rx, double ry) {
    QPainterPath path;
    path.addEllipse(c, rx, ry);
    return path;
}

QPainterPath roundRect(const QRectF& r, double radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath rotated(const QPainterPath& path, const QPointF& pivot, double degrees) {
    QTransform t;
    t.translate(pivot.x(), pivot.y());
    t.rotate(degrees);
    t.translate(-pivot.x(), -pivot.y());
    return t.map(path);
}

// A soft vertical shade: the lower part of a shape a little darker.
QBrush shaded(const QColor& colour, double top, double bottom) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, colour.lighter(108));
    g.setColorAt(1, colour.darker(112));
    return QBrush(g);
}

void shapeWith(Pen& p, const QPainterPath& path, const QBrush& brush, double outline = 5.0) {
    p.save();
    p.setBrush(brush);
    p.setPen(outline > 0 ? art::outlinePen(outline) : QPen(Qt::NoPen));
    p.drawPath(path);
    p.restore();
}

const QColor kWhiteFur(252, 250, 245);

} // namespace

QImage sunRays() {
    QImage img = art::canvas(230, 230);
    Pen p(&img);
    const QPointF c(115, 115);
    art::sunburstGlow(p, c, 114, QColor(255, 230, 120));
    for (int i = 0; i < 12; ++i) {
        const bool longRay = i % 2 == 0;
        const double outer = longRay ? 108 : 92;
        QPainterPath ray;
        ray.moveTo(c.x() - 13, c.y() - 55);
        ray.quadTo(c.x(), c.y() - outer - 8, c.x() + 13, c.y() - 55);
        ray.closeSubpath();
        ray = rotated(ray, c, i * 30.0);
        p.shape(ray, longRay ? QColor(255, 170, 40) : QColor(255, 200, 60), 4);
    }
    p.ellipseShape(c, 66, 66, QColor(255, 214, 60), 0);
    return img;
}

QImage sunFace() {
    QImage img = art::canvas(140, 140);
    Pen p(&img);
    const QPointF c(70, 70);
    QRadialGradient g(c + QPointF(-15, -18), 80);
    g.setColorAt(0, QColor(255, 240, 120));
    g.setColorAt(1, QColor(255, 196, 40));
    shapeWith(p, ellipsePath(c, 64, 64), g, 5);
    art::face(p, c + QPointF(0, 4), 100, Mood::Happy);
    return img;
}

QImage cow() {
    QImage img = art::canvas(240, 200);
    Pen p(&img);
    const QColor hoof(90, 70, 64);
    // Tail with its tuft.
    QPainterPath tail;
    tail.moveTo(214, 86);
    tail.cubicTo(236, 96, 232, 126, 226, 140);
    p.setPen(art::outlinePen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tail);
    p.ellipseShape(QPointF(225, 146), 8, 11, QColor(90, 70, 64), 3);
    // Back legs, then the body, then the front legs.
    for (double x : {180.0, 150.0})
        shapeWith(p, roundRect(QRectF(x, 130, 26, 56), 10), kWhiteFur, 4);
    for (double x : {180.0, 150.0})
        p.shape(roundRect(QRectF(x, 172, 26, 16), 6), hoof, 4);
    const QPainterPath body = roundRect(QRectF(72, 58, 152, 100), 46);
    shapeWith(p, body, shaded(kWhiteFur, 58, 158), 5);
    p.save();
    p.setClipPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 50, 50));
    p.drawPath(rotated(ellipsePath(QPointF(150, 78), 26, 18), QPointF(150, 78), 20));
    p.drawPath(rotated(ellipsePath(QPointF(205, 125), 22, 26), QPointF(205, 125), -10));
    p.drawPath(ellipsePath(QPointF(118, 140), 18, 14));
    p.restore();
    for (double x : {120.0, 92.0})
        shapeWith(p, roundRect(QRectF(x, 136, 26, 54), 10), kWhiteFur, 4);
    for (double x : {120.0, 92.0})
        p.shape(roundRect(QRectF(x, 176, 26, 16), 6), hoof, 4);
    // Udder peeking out.
    p.ellipseShape(QPointF(160, 160), 14, 8, QColor(255, 180, 190), 3);

    // Head: horns and ears first, so the head overlaps them.
    const QColor horn(250, 230, 180);
    QPainterPath leftHorn;
    leftHorn.moveTo(46, 42);
    leftHorn.quadTo(34, 14, 44, 8);
    leftHorn.quadTo(56, 22, 62, 38);
    leftHorn.closeSubpath();
    p.shape(leftHorn, horn, 4);
    QPainterPath rightHorn;
    rightHorn.moveTo(104, 42);
    rightHorn.quadTo(116, 14, 106, 8);
    rightHorn.quadTo(94, 22, 88, 38);
    rightHorn.closeSubpath();
    p.shape(rightHorn, horn, 4);
    p.shape(rotated(ellipsePath(QPointF(22, 62), 22, 11), QPointF(22, 62), 20), kWhiteFur, 4);
    p.shape(rotated(ellipsePath(QPointF(128, 62), 22, 11), QPointF(128, 62), -20), kWhiteFur, 4);
    p.ellipseShape(QPointF(22, 63), 12, 5, QColor(255, 170, 185), 0);
    p.ellipseShape(QPointF(128, 63), 12, 5, QColor(255, 170, 185), 0);
    const QPainterPath head = ellipsePath(QPointF(75, 82), 54, 58);
    shapeWith(p, head, shaded(kWhiteFur, 24, 140), 5);
    p.save();
    p.setClipPath(head);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 50, 50));
    p.drawEllipse(QPointF(108, 44), 22, 20);
    p.restore();
    // Muzzle with nostrils and the smile.
    p.ellipseShape(QPointF(75, 116), 44, 26, QColor(255, 184, 190), 4);
    p.ellipseShape(QPointF(60, 112), 6, 8, QColor(200, 100, 110), 0);
    p.ellipseShape(QPointF(90, 112), 6, 8, QColor(200, 100, 110), 0);
    QPainterPath smile;
    smile.moveTo(62, 128);
    smile.quadTo(75, 137, 88, 128);
    p.setPen(art::outlinePen(3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(smile);
    art::eye(p, QPointF(56, 74), 10);
    art::eye(p, QPointF(94, 74), 10);
    art::cheek(p, QPointF(36, 94), 8);
    art::cheek(p, QPointF(114, 94), 8);
    return img;
}

QImage frog() {
    QImage img = art::canvas(140, 120);
    Pen p(&img);
    const QColor green(118, 204, 82);
    // Back feet peeking out at the sides.
    p.shape(ellipsePath(QPointF(18, 98), 16, 10), green.darker(108), 4);
    p.shape(ellipsePath(QPointF(122, 98), 16, 10), green.darker(108), 4);
    // Eye bumps and body as one shape, so the outline runs round both.
    QPainterPath body = ellipsePath(QPointF(70, 76), 58, 36);
    body = (body + ellipsePath(QPointF(42, 38), 22, 21) + ellipsePath(QPointF(98, 38), 22, 21)).simplified();
    shapeWith(p, body, shaded(green, 18, 112), 5);
    p.ellipseShape(QPointF(70, 92), 34, 16, QColor(210, 240, 160), 0);
    for (double x : {42.0, 98.0}) {
        p.ellipseShape(QPointF(x, 37), 14, 14, Qt::white, 3);
        art::eye(p, QPointF(x + 1, 38), 9);
    }
    QPainterPath mouth;
    mouth.moveTo(38, 70);
    mouth.quadTo(70, 94, 102, 70);
    p.setPen(art::outlinePen(4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
    art::cheek(p, QPointF(30, 66), 8);
    art::cheek(p, QPointF(110, 66), 8);
    // Front feet with round toes.
    for (double x : {48.0, 92.0}) {
        for (int t = -1; t <= 1; ++t)
            p.ellipseShape(QPointF(x + t * 8, 110), 6, 5, green, 3);
    }
    return img;
}

QImage duck() {
    QImage img = art::canvas(140, 120);
    Pen p(&img);
    const QColor yellow(255, 214, 60);
    // Body with a pointed tail at the right.
    QPainterPath body;
    body.moveTo(30, 80);
    body.cubicTo(30, 50, 80, 48, 108, 62);
    body.quadTo(124, 52, 132, 46);
    body.quadTo(134, 74, 120, 92);
    body.cubicTo(100, 110, 40, 112, 30, 80);
    body.closeSubpath();
    shapeWith(p, body, shaded(yellow, 46, 110), 5);
    // Wing.
    QPainterPath wing;
    wing.moveTo(66, 74);
    wing.cubicTo(80, 62, 108, 66, 112, 78);
    wing.cubicTo(100, 90, 80, 92, 66, 74);
    p.shape(wing, yellow.darker(112), 4);
    // Head and beak.
    p.ellipseShape(QPointF(46, 44), 28, 27, yellow, 5);
    p.shine(QPointF(38, 30), 9, 5, -30, 130);
    QPainterPath beak;
    beak.moveTo(24, 44);
    beak.quadTo(4, 44, 2, 52);
    beak.quadTo(12, 60, 26, 56);
    beak.closeSubpath();
    p.shape(beak, QColor(255, 140, 40), 4);
    art::eye(p, QPointF(46, 40), 7);
    art::cheek(p, QPointF(58, 54), 6);
    // Pond water over the lower body: the duck swims.
    QPainterPath water;
    water.moveTo(0, 100);
    for (int i = 0; i < 7; ++i)
        water.quadTo(10 + i * 20, 94, 20 + i * 20, 100);
    water.lineTo(140, 120);
    water.lineTo(0, 120);
    water.closeSubpath();
    p.fillShape(water, QColor(96, 180, 240));
    p.setPen(QPen(QColor(200, 235, 255), 3));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(24, 108), QPointF(44, 108));
    p.drawLine(QPointF(90, 110), QPointF(116, 110));
    return img;
}

QImage sheep() {
    QImage img = art::canvas(200, 160);
    Pen p(&img);
    const QColor leg(90, 84, 96);
    for (double x : {82.0, 104.0, 140.0, 162.0})
        p.shape(roundRect(QRectF(x, 110, 16, 44), 7), leg, 4);
    // A fleece of overlapping puffs.
    QPainterPath fleece = ellipsePath(QPointF(124, 84), 62, 40);
    const QPointF puffs[] = {{72, 70},   {90, 50},   {116, 42},  {142, 46}, {164, 60}, {174, 84},
                             {170, 108}, {146, 120}, {118, 122}, {92, 116}, {74, 98}};
    for (const QPointF& c : puffs)
        fleece += ellipsePath(c, 22, 20);
    fleece = fleece.simplified();
    shapeWith(p, fleece, shaded(kWhiteFur, 24, 140), 5);
    p.shine(QPointF(118, 56), 20, 8, -10, 170);
    // Head: ears, face, fluffy fringe.
    const QColor skin(236, 208, 184);
    p.shape(rotated(ellipsePath(QPointF(24, 66), 18, 9), QPointF(24, 66), 25), skin.darker(108), 4);
    p.shape(rotated(ellipsePath(QPointF(92, 66), 18, 9), QPointF(92, 66), -25), skin.darker(108), 4);
    shapeWith(p, ellipsePath(QPointF(58, 82), 34, 40), shaded(skin, 42, 122), 5);
    QPainterPath fringe = ellipsePath(QPointF(58, 46), 16, 13) + ellipsePath(QPointF(42, 52), 13, 11) +
                          ellipsePath(QPointF(74, 52), 13, 11);
    shapeWith(p, fringe.simplified(), kWhiteFur, 4);
    art::face(p, QPointF(58, 88), 62, Mood::Happy);
    return img;
}

QImage butterfly() {
    QImage img = art::canvas(100, 86);
    Pen p(&img);
    const QColor upper(255, 128, 190);
    const QColor lower(170, 120, 255);
    p.shape(rotated(ellipsePath(QPointF(28, 30), 24, 20), QPointF(28, 30), -20), upper, 4);
    p.shape(rotated(ellipsePath(QPointF(72, 30), 24, 20), QPointF(72, 30), 20), upper, 4);
    p.shape(rotated(ellipsePath(QPointF(32, 60), 17, 15), QPointF(32, 60), 20), lower, 4);
    p.shape(rotated(ellipsePath(QPointF(68, 60), 17, 15), QPointF(68, 60), -20), lower, 4);
    for (const QPointF& c : {QPointF(24, 28), QPointF(76, 28)})
        p.ellipseShape(c, 8, 8, QColor(255, 240, 120), 0);
    for (const QPointF& c : {QPointF(32, 62), QPointF(68, 62)})
        p.ellipseShape(c, 5, 5, Qt::white, 0);
    p.shape(roundRect(QRectF(44, 26, 12, 50), 6), QColor(100, 70, 90), 3);
    QPainterPath antennae;
    antennae.moveTo(47, 22);
    antennae.quadTo(40, 6, 32, 6);
    antennae.moveTo(53, 22);
    antennae.quadTo(60, 6, 68, 6);
    p.setPen(art::outlinePen(3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(antennae);
    p.ellipseShape(QPointF(32, 6), 4, 4, QColor(100, 70, 90), 0);
    p.ellipseShape(QPointF(68, 6), 4, 4, QColor(100, 70, 90), 0);
    p.ellipseShape(QPointF(50, 22), 11, 10, QColor(130, 96, 118), 3);
    art::eye(p, QPointF(46, 21), 2.8);
    art::eye(p, QPointF(54, 21), 2.8);
    return img;
}

QImage signpost() {
    QImage img = art::canvas(160, 180);
    Pen p(&img);
    const QColor wood(214, 160, 100);
    shapeWith(p, roundRect(QRectF(68, 70, 22, 108), 6), shaded(wood.darker(110), 70, 178), 4);
    QPainterPath board;
    board.moveTo(12, 24);
    board.lineTo(118, 24);
    board.lineTo(152, 58);
    board.lineTo(118, 92);
    board.lineTo(12, 92);
    board.closeSubpath();
    QPainterPathStroker soft;
    soft.setWidth(10);
    soft.setJoinStyle(Qt::RoundJoin);
    board = (board + soft.createStroke(board)).simplified();
    shapeWith(p, board, shaded(wood, 20, 96), 5);
    p.setPen(QPen(wood.darker(125), 2.5));
    p.drawLine(QPointF(22, 44), QPointF(60, 44));
    p.drawLine(QPointF(90, 76), QPointF(128, 76));
    // The little bird that tells where the path goes.
    p.ellipseShape(QPointF(70, 58), 22, 19, QColor(90, 170, 255), 4);
    QPainterPath beak;
    beak.moveTo(90, 54);
    beak.lineTo(104, 58);
    beak.lineTo(90, 63);
    beak.closeSubpath();
    p.shape(beak, QColor(255, 150, 40), 3);
    art::eye(p, QPointF(78, 53), 4.5);
    p.shape(rotated(ellipsePath(QPointF(62, 62), 11, 7), QPointF(62, 62), -25), QColor(70, 140, 230), 3);
    // Grass at the foot of the post.
    art::tuft(p, QPointF(68, 180), 22, QColor(80, 180, 70));
    art::tuft(p, QPointF(94, 180), 18, QColor(100, 200, 80));
    return img;
}

namespace {

void drawBalloon(Pen& p, const QPointF& c, double rx, double ry, const QColor& colour, bool withFace) {
    QPainterPath knot;
    knot.moveTo(c.x(), c.y() + ry - 2);
    knot.lineTo(c.x() - 8, c.y() + ry + 11);
    knot.lineTo(c.x() + 8, c.y() + ry + 11);
    knot.closeSubpath();
    p.shape(knot, colour.darker(115), 3.5);
    QPainterPath body;
    body.moveTo(c.x(), c.y() + ry);
    body.cubicTo(c.x() - rx * 1.2, c.y() + ry * 0.55, c.x() - rx * 1.1, c.y() - ry, c.x(), c.y() - ry);
    body.cubicTo(c.x() + rx * 1.1, c.y() - ry, c.x() + rx * 1.2, c.y() + ry * 0.55, c.x(), c.y() + ry);
    QRadialGradient g(c + QPointF(-rx * 0.3, -ry * 0.35), rx * 1.6);
    g.setColorAt(0, colour.lighter(125));
    g.setColorAt(1, colour.darker(110));
    shapeWith(p, body, g, 5);
    p.shine(c + QPointF(-rx * 0.42, -ry * 0.42), rx * 0.16, ry * 0.3, 25, 190);
    if (withFace)
        art::face(p, c + QPointF(0, ry * 0.08), rx * 1.25, Mood::Happy);
}

void balloonString(Pen& p, const QPointF& from, const QPointF& to) {
    QPainterPath s;
    s.moveTo(from);
    const double dy = (to.y() - from.y()) / 4;
    for (int i = 0; i < 4; ++i) {
        const double side = i % 2 ? 10 : -10;
        const QPointF a(from.x() + (to.x() - from.x()) * (i + 0.5) / 4 + side, from.y() + dy * (i + 0.5));
        const QPointF b(from.x() + (to.x() - from.x()) * (i + 1) / 4, from.y() + dy * (i + 1));
        s.quadTo(a, b);
    }
    p.setPen(art::outlinePen(3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(s);
}

} // namespace

QImage balloon(const QColor& colour) {
    QImage img = art::canvas(130, 230);
    Pen p(&img);
    balloonString(p, QPointF(65, 156), QPointF(62, 226));
    drawBalloon(p, QPointF(65, 76), 52, 70, colour, true);
    return img;
}

QImage balloonBunch() {
    QImage img = art::canvas(170, 270);
    Pen p(&img);
    const QPointF knot(86, 250);
    balloonString(p, QPointF(40, 150), knot);
    balloonString(p, QPointF(130, 150), knot);
    balloonString(p, QPointF(86, 118), knot);
    drawBalloon(p, QPointF(40, 100), 36, 46, QColor(255, 90, 90), false);
    drawBalloon(p, QPointF(130, 100), 36, 46, QColor(80, 170, 255), false);
    drawBalloon(p, QPointF(86, 58), 40, 50, QColor(255, 214, 50), true);
    // A small bow where the strings meet.
    p.shape(rotated(ellipsePath(QPointF(76, 252), 10, 6), QPointF(76, 252), -20), QColor(255, 120, 170), 3);
    p.shape(rotated(ellipsePath(QPointF(96, 252), 10, 6), QPointF(96, 252), 20), QColor(255, 120, 170), 3);
    p.ellipseShape(knot + QPointF(0, 2), 5, 5, QColor(255, 90, 150), 3);
    return img;
}

QImage present() {
    QImage img = art::canvas(200, 180);
    Pen p(&img);
    const QColor box(255, 96, 120);
    const QColor ribbon(255, 214, 60);
    const QPainterPath body = roundRect(QRectF(22, 72, 156, 102), 10);
    shapeWith(p, body, shaded(box, 72, 174), 5);
    p.save();
    p.setClipPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 120));
    for (const QPointF& dot : {QPointF(136, 96), QPointF(162, 128), QPointF(134, 156), QPointF(160, 168)})
        p.drawEllipse(dot, 8, 8);
    p.restore();
    p.shape(QPainterPath([] {
                QPainterPath r;
                r.addRect(QRectF(88, 72, 24, 102));
                return r;
            }()),
            ribbon, 4);
    // Bow loops, then the lid, then the knot.
    p.shape(rotated(ellipsePath(QPointF(76, 34), 28, 16), QPointF(76, 34), 20), ribbon, 5);
    p.shape(rotated(ellipsePath(QPointF(124, 34), 28, 16), QPointF(124, 34), -20), ribbon, 5);
    shapeWith(p, roundRect(QRectF(12, 46, 176, 34), 10), shaded(box.darker(108), 46, 80), 5);
    p.shape(QPainterPath([] {
                QPainterPath r;
                r.addRect(QRectF(88, 46, 24, 34));
                return r;
            }()),
            ribbon, 4);
    p.ellipseShape(QPointF(100, 44), 13, 11, ribbon.darker(108), 4);
    art::face(p, QPointF(58, 124), 64, Mood::Grin);
    return img;
}

QImage starFace() {
    QImage img = art::canvas(130, 130);
    Pen p(&img);
    const QPointF c(65, 70);
    QRadialGradient g(c + QPointF(-10, -14), 70);
    g.setColorAt(0, QColor(255, 240, 120));
    g.setColorAt(1, QColor(255, 190, 30));
    shapeWith(p, art::roundedStarPath(c, 62, 31, 5), g, 5);
    art::face(p, c + QPointF(0, 4), 58, Mood::Happy);
    return img;
}

QImage sparkle() {
    QImage img = art::canvas(64, 64);
    Pen p(&img);
    const QPointF c(32, 32);
    art::sunburstGlow(p, c, 30, QColor(255, 255, 200));
    p.shape(art::starPath(c, 28, 7, 4), QColor(255, 250, 200), 3);
    p.ellipseShape(c, 5, 5, Qt::white, 0);
    return img;
}

QImage playButton() {
    QImage img = art::canvas(200, 200);
    Pen p(&img);
    const QPointF c(100, 100);
    QRadialGradient g(c + QPointF(-25, -30), 120);
    g.setColorAt(0, QColor(140, 230, 110));
    g.setColorAt(1, QColor(50, 170, 70));
    shapeWith(p, ellipsePath(c, 90, 90), g, 6);
    p.setPen(QPen(QColor(255, 255, 255, 110), 8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 74, 74);
    QPainterPath tri;
    tri.moveTo(78, 58);
    tri.lineTo(146, 100);
    tri.lineTo(78, 142);
    tri.closeSubpath();
    QPainterPathStroker round;
    round.setWidth(16);
    round.setJoinStyle(Qt::RoundJoin);
    tri = (tri + round.createStroke(tri)).simplified();
    p.shape(tri, Qt::white, 5);
    p.shine(QPointF(62, 56), 22, 11, -40, 150);
    return img;
}

QImage halo() {
    QImage img = art::canvas(250, 250);
    Pen p(&img);
    const QPointF c(125, 125);
    QRadialGradient g(c, 124);
    g.setColorAt(0.0, QColor(255, 250, 200, 230));
    g.setColorAt(0.72, QColor(255, 236, 120, 200));
    g.setColorAt(1.0, QColor(255, 220, 80, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, 124, 124);
    return img;
}

QImage bird(int frame) {
    QImage img = art::canvas(130, 110);
    Pen p(&img);
    const QColor blue(90, 170, 255);
    const double wingAngles[] = {-55, -10, 35, -10};
    const double angle = wingAngles[((frame % 4) + 4) % 4];
    // Tail feathers.
    QPainterPath tail;
    tail.moveTo(96, 66);
    tail.lineTo(126, 52);
    tail.lineTo(122, 70);
    tail.lineTo(126, 84);
    tail.closeSubpath();
    p.shape(tail, blue.darker(115), 4);
    shapeWith(p, ellipsePath(QPointF(64, 66), 40, 32), shaded(blue, 34, 98), 5);
    p.ellipseShape(QPointF(58, 80), 24, 14, QColor(220, 240, 255), 0);
    QPainterPath beak;
    beak.moveTo(26, 58);
    beak.lineTo(8, 64);
    beak.lineTo(27, 70);
    beak.closeSubpath();
    p.shape(beak, QColor(255, 160, 40), 4);
    art::eye(p, QPointF(44, 56), 7);
    art::cheek(p, QPointF(40, 72), 6);
    // The wing pivots at the shoulder.
    QPainterPath wing;
    wing.moveTo(72, 58);
    wing.cubicTo(86, 30, 112, 20, 118, 28);
    wing.cubicTo(112, 50, 94, 66, 72, 58);
    wing.closeSubpath();
    p.shape(rotated(wing, QPointF(74, 58), angle + 20), blue.lighter(110), 4);
    return img;
}

QImage chick(int frame) {
    QImage img = art::canvas(110, 110);
    Pen p(&img);
    const QColor yellow(255, 220, 70);
    const bool up = frame % 2 == 1;
    shapeWith(p, ellipsePath(QPointF(55, 66), 38, 38), shaded(yellow, 28, 104), 5);
    // A little tuft on top.
    QPainterPath tuft;
    tuft.moveTo(50, 30);
    tuft.quadTo(44, 14, 54, 12);
    tuft.quadTo(52, 22, 58, 29);
    p.shape(tuft, yellow, 4);
    p.shine(QPointF(40, 46), 9, 5, -30, 150);
    // Wings at the sides: resting against the body, or raised to flap.
    for (int side : {-1, 1}) {
        const QPointF shoulder(55 + side * 28, 62);
        const QPainterPath w = ellipsePath(shoulder + QPointF(side * 6, 12), 11, 19);
        p.shape(rotated(w, shoulder, up ? -side * 70 : side * 12), yellow.darker(108), 4);
    }
    art::eye(p, QPointF(43, 58), 6.5);
    art::eye(p, QPointF(67, 58), 6.5);
    art::cheek(p, QPointF(33, 74), 6);
    art::cheek(p, QPointF(77, 74), 6);
    QPainterPath beak;
    if (up) {
        beak.moveTo(48, 68);
        beak.lineTo(62, 68);
        beak.lineTo(55, 74);
        beak.closeSubpath();
        beak.moveTo(49, 76);
        beak.lineTo(61, 76);
        beak.lineTo(55, 84);
        beak.closeSubpath();
    } else {
        beak.moveTo(48, 70);
        beak.lineTo(62, 70);
        beak.lineTo(55, 80);
        beak.closeSubpath();
    }
    p.shape(beak, QColor(255, 150, 40), 3);
    // Feet holding on to the branch below.
    for (double x : {44.0, 66.0})
        for (int t = -1; t <= 1; ++t)
            p.ellipseShape(QPointF(x + t * 5, 104), 3.5, 5, QColor(255, 150, 40), 2.5);
    return img;
}

QImage strip(QImage (*frame)(int), int frames) {
    const QImage first = frame(0);
    QImage out = art::canvas(first.width() * frames, first.height());
    QPainter p(&out);
    for (int i = 0; i < frames; ++i)
        p.drawImage(i * first.width(), 0, frame(i));
    return out;
}

QImage windmillSails() {
    QImage img = art::canvas(280, 280);
    Pen p(&img);
    const QPointF c(140, 140);
    for (int i = 0; i < 4; ++i) {
        QPainterPath sail;
        sail.addRoundedRect(QRectF(c.x() - 8, c.y() - 132, 46, 112), 10, 10);
        QPainterPath spar;
        spar.addRoundedRect(QRectF(c.x() - 7, c.y() - 134, 14, 128), 6, 6);
        const double a = i * 90.0;
        const QColor cloth = i % 2 ? QColor(255, 110, 110) : QColor(255, 214, 90);
        const QPainterPath s = rotated(sail, c, a);
        p.shape(s, cloth, 4);
        p.save();
        p.setClipPath(s);
        p.setPen(QPen(cloth.darker(125), 2.5));
        for (int k = 1; k < 4; ++k) {
            QLineF line(QPointF(c.x() - 8, c.y() - 20 - k * 28), QPointF(c.x() + 38, c.y() - 20 - k * 28));
            QTransform t;
            t.translate(c.x(), c.y());
            t.rotate(a);
            t.translate(-c.x(), -c.y());
            p.drawLine(t.map(line));
        }
        p.restore();
        p.shape(rotated(spar, c, a), QColor(170, 110, 70), 4);
    }
    p.ellipseShape(c, 20, 20, QColor(150, 95, 60), 4);
    p.ellipseShape(c, 8, 8, QColor(255, 214, 60), 3);
    return img;
}

QImage bee() {
    QImage img = art::canvas(90, 76);
    Pen p(&img);
    p.shape(rotated(ellipsePath(QPointF(44, 20), 14, 20), QPointF(44, 20), -25), QColor(255, 255, 255, 200),
            3);
    p.shape(rotated(ellipsePath(QPointF(62, 22), 12, 18), QPointF(62, 22), 25), QColor(255, 255, 255, 200),
            3);
    QPainterPath stinger;
    stinger.moveTo(80, 46);
    stinger.lineTo(89, 50);
    stinger.lineTo(80, 54);
    stinger.closeSubpath();
    p.shape(stinger, QColor(70, 60, 60), 2);
    const QPainterPath body = ellipsePath(QPointF(54, 50), 28, 20);
    shapeWith(p, body, shaded(QColor(255, 210, 50), 30, 70), 4);
    p.save();
    p.setClipPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 60, 60));
    p.drawRect(QRectF(52, 20, 9, 60));
    p.drawRect(QRectF(68, 20, 8, 60));
    p.restore();
    p.setPen(art::outlinePen(4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.ellipseShape(QPointF(26, 46), 18, 17, QColor(255, 220, 80), 4);
    QPainterPath antennae;
    antennae.moveTo(20, 32);
    antennae.quadTo(14, 16, 8, 14);
    antennae.moveTo(30, 30);
    antennae.quadTo(32, 14, 38, 10);
    p.setPen(art::outlinePen(2.5));
    p.drawPath(antennae);
    art::face(p, QPointF(24, 47), 30, Mood::Happy);
    return img;
}

QImage moon() {
    QImage img = art::canvas(200, 200);
    Pen p(&img);
    const QPointF c(100, 104);
    art::sunburstGlow(p, c, 98, QColor(255, 250, 200));
    QRadialGradient g(c + QPointF(-20, -24), 110);
    g.setColorAt(0, QColor(255, 252, 215));
    g.setColorAt(1, QColor(250, 222, 140));
    shapeWith(p, ellipsePath(c, 74, 74), g, 5);
    for (const auto& crater :
         {std::make_tuple(QPointF(140, 70), 10.0), std::make_tuple(QPointF(60, 146), 8.0),
          std::make_tuple(QPointF(150, 130), 6.0)})
        p.ellipseShape(std::get<0>(crater), std::get<1>(crater), std::get<1>(crater) * 0.8,
                       QColor(240, 205, 130), 0);
    art::face(p, c + QPointF(0, 6), 104, Mood::Sleepy);
    // A soft night cap with a pompom.
    QPainterPath cap;
    cap.moveTo(40, 70);
    cap.cubicTo(60, 18, 130, 10, 170, 38);
    cap.quadTo(150, 44, 140, 52);
    cap.cubicTo(110, 44, 70, 54, 58, 80);
    cap.closeSubpath();
    p.shape(cap, QColor(110, 130, 240), 4);
    p.shape(roundRect(QRectF(34, 60, 34, 24), 10).translated(0, 0), QColor(245, 245, 255), 4);
    p.ellipseShape(QPointF(174, 40), 13, 13, QColor(255, 255, 255), 4);
    return img;
}

QImage owl() {
    QImage img = art::canvas(150, 180);
    Pen p(&img);
    const QColor brown(176, 122, 80);
    // Ear tufts, then the body.
    QPainterPath ears;
    ears.moveTo(30, 50);
    ears.lineTo(24, 10);
    ears.lineTo(60, 36);
    ears.closeSubpath();
    ears.moveTo(120, 50);
    ears.lineTo(126, 10);
    ears.lineTo(90, 36);
    ears.closeSubpath();
    p.shape(ears, brown.darker(110), 4);
    QPainterPath body;
    body.moveTo(75, 24);
    body.cubicTo(140, 24, 146, 110, 130, 140);
    body.cubicTo(118, 168, 32, 168, 20, 140);
    body.cubicTo(4, 110, 10, 24, 75, 24);
    shapeWith(p, body, shaded(brown, 24, 166), 5);
    p.ellipseShape(QPointF(75, 118), 38, 40, QColor(244, 220, 176), 0);
    p.setPen(QPen(QColor(200, 150, 100), 3));
    for (int row = 0; row < 3; ++row)
        for (int k = -1; k <= 1; ++k) {
            const QPointF v(75 + k * 18 + (row % 2) * 9, 100 + row * 18);
            p.drawLine(v + QPointF(-6, -4), v);
            p.drawLine(v, v + QPointF(6, -4));
        }
    // Wings at the sides.
    p.shape(rotated(ellipsePath(QPointF(22, 110), 14, 36), QPointF(22, 110), 12), brown.darker(115), 4);
    p.shape(rotated(ellipsePath(QPointF(128, 110), 14, 36), QPointF(128, 110), -12), brown.darker(115), 4);
    // The big eyes.
    for (double x : {50.0, 100.0}) {
        p.ellipseShape(QPointF(x, 66), 26, 26, QColor(255, 236, 180), 4);
        p.ellipseShape(QPointF(x, 66), 19, 19, Qt::white, 0);
        art::eye(p, QPointF(x + 2, 68), 12);
    }
    QPainterPath beak;
    beak.moveTo(66, 86);
    beak.lineTo(84, 86);
    beak.lineTo(75, 102);
    beak.closeSubpath();
    p.shape(beak, QColor(255, 160, 40), 3.5);
    art::cheek(p, QPointF(32, 94), 7);
    art::cheek(p, QPointF(118, 94), 7);
    for (double x : {56.0, 94.0})
        for (int t = -1; t <= 1; ++t)
            p.ellipseShape(QPointF(x + t * 7, 166), 4.5, 7, QColor(255, 160, 40), 3);
    return img;
}

QImage bunny() {
    QImage img = art::canvas(140, 170);
    Pen p(&img);
    const QColor fur(246, 244, 250);
    const QColor inner(255, 176, 196);
    // Ears.
    for (int side : {-1, 1}) {
        const QPointF base(70 + side * 20, 44);
        const QPainterPath ear = rotated(ellipsePath(base, 14, 40), base + QPointF(0, 30), side * 12);
        shapeWith(p, ear, shaded(fur, 4, 84), 5);
        p.fillShape(rotated(ellipsePath(base + QPointF(0, 4), 6, 28), base + QPointF(0, 30), side * 12),
                    inner);
    }
    // Body, feet and the round head.
    shapeWith(p, ellipsePath(QPointF(70, 136), 44, 32), shaded(fur, 104, 168), 5);
    p.ellipseShape(QPointF(42, 162), 18, 8, fur, 4);
    p.ellipseShape(QPointF(98, 162), 18, 8, fur, 4);
    p.ellipseShape(QPointF(70, 140), 22, 18, Qt::white, 0);
    shapeWith(p, ellipsePath(QPointF(70, 92), 44, 38), shaded(fur, 54, 130), 5);
    art::face(p, QPointF(70, 94), 74, Mood::Happy);
    p.ellipseShape(QPointF(70, 100), 5, 4, QColor(255, 130, 150), 0);
    return img;
}

QImage nightStar(const QColor& colour) {
    QImage img = art::canvas(70, 70);
    Pen p(&img);
    const QPointF c(35, 36);
    art::sunburstGlow(p, c, 34, colour);
    p.shape(art::roundedStarPath(c, 26, 12, 5), colour, 3);
    p.shine(c + QPointF(-6, -6), 4, 2.5, -30, 200);
    return img;
}

QImage againButton() {
    QImage img = art::canvas(250, 120);
    Pen p(&img);
    QLinearGradient g(0, 8, 0, 112);
    g.setColorAt(0, QColor(255, 190, 70));
    g.setColorAt(1, QColor(255, 130, 40));
    shapeWith(p, roundRect(QRectF(6, 8, 238, 104), 52), g, 6);
    p.shine(QPointF(60, 30), 30, 8, -8, 120);
    // A round arrow: read it again.
    const QPointF c(60, 60);
    QPainterPath arc;
    arc.arcMoveTo(QRectF(c.x() - 26, c.y() - 26, 52, 52), 60);
    arc.arcTo(QRectF(c.x() - 26, c.y() - 26, 52, 52), 60, 280);
    QPen white(Qt::white, 11);
    white.setCapStyle(Qt::RoundCap);
    p.strokePath(arc, art::outlinePen(19));
    p.strokePath(arc, white);
    QPainterPath head;
    const QPointF tip = arc.pointAtPercent(0.0);
    head.moveTo(tip + QPointF(-4, -20));
    head.lineTo(tip + QPointF(20, -2));
    head.lineTo(tip + QPointF(-8, 10));
    head.closeSubpath();
    p.shape(head, Qt::white, 4);
    art::stickerText(p, "Again!", QPointF(160, 46), 40, QColor(255, 110, 60), 4);
    QPainterPath zh;
    zh.addText(0, 0, art::bookFont(24), QString::fromUtf8("再读一遍"));
    zh.translate(QPointF(160, 86) - zh.boundingRect().center());
    p.fillPath(zh, Qt::white);
    return img;
}

QImage navButton(NavKind kind) {
    QImage img = art::canvas(96, 96);
    Pen p(&img);
    const QPointF c(48, 48);
    QColor colour;
    switch (kind) {
    case NavKind::Left:
    case NavKind::Right:
        colour = QColor(255, 170, 40);
        break;
    case NavKind::Home:
        colour = QColor(80, 190, 110);
        break;
    case NavKind::Exit:
        colour = QColor(240, 84, 84);
        break;
    }
    QRadialGradient g(c + QPointF(-12, -14), 60);
    g.setColorAt(0, colour.lighter(125));
    g.setColorAt(1, colour.darker(105));
    shapeWith(p, ellipsePath(c, 42, 42), g, 5);
    QPainterPath icon;
    switch (kind) {
    case NavKind::Left:
    case NavKind::Right: {
        icon.moveTo(32, 48);
        icon.lineTo(52, 28);
        icon.lineTo(52, 40);
        icon.lineTo(66, 40);
        icon.lineTo(66, 56);
        icon.lineTo(52, 56);
        icon.lineTo(52, 68);
        icon.closeSubpath();
        if (kind == NavKind::Right)
            icon = QTransform(-1, 0, 0, 1, 96, 0).map(icon);
        break;
    }
    case NavKind::Home:
        icon.moveTo(48, 26);
        icon.lineTo(70, 46);
        icon.lineTo(64, 46);
        icon.lineTo(64, 68);
        icon.lineTo(32, 68);
        icon.lineTo(32, 46);
        icon.lineTo(26, 46);
        icon.closeSubpath();
        break;
    case NavKind::Exit: {
        QPainterPath bar;
        bar.addRoundedRect(QRectF(44, 24, 8, 48), 4, 4);
        icon = (rotated(bar, c, 45) + rotated(bar, c, -45)).simplified();
        break;
    }
    }
    QPainterPathStroker round;
    round.setWidth(5);
    round.setJoinStyle(Qt::RoundJoin);
    icon = (icon + round.createStroke(icon)).simplified();
    p.shape(icon, Qt::white, 3.5);
    if (kind == NavKind::Home)
        p.shape(roundRect(QRectF(43, 54, 10, 14), 2), colour, 2.5);
    p.shine(QPointF(34, 30), 11, 6, -35, 150);
    return img;
}

QImage circleBuddy() {
    QImage img = art::canvas(180, 180);
    Pen p(&img);
    const QPointF c(90, 90);
    QRadialGradient g(c + QPointF(-20, -24), 110);
    g.setColorAt(0, QColor(255, 130, 120));
    g.setColorAt(1, QColor(230, 60, 70));
    shapeWith(p, ellipsePath(c, 82, 82), g, 6);
    p.shine(QPointF(54, 50), 18, 9, -40, 150);
    art::face(p, c + QPointF(0, 6), 110, Mood::Grin);
    return img;
}

QImage squareBuddy() {
    QImage img = art::canvas(180, 180);
    Pen p(&img);
    QLinearGradient g(0, 10, 0, 170);
    g.setColorAt(0, QColor(110, 180, 255));
    g.setColorAt(1, QColor(50, 120, 230));
    shapeWith(p, roundRect(QRectF(12, 12, 156, 156), 22), g, 6);
    p.shine(QPointF(46, 40), 18, 8, -20, 150);
    art::face(p, QPointF(90, 96), 110, Mood::Happy);
    return img;
}

QImage triangleBuddy() {
    QImage img = art::canvas(200, 180);
    Pen p(&img);
    QPainterPath tri;
    tri.moveTo(100, 22);
    tri.lineTo(180, 160);
    tri.lineTo(20, 160);
    tri.closeSubpath();
    QPainterPathStroker round;
    round.setWidth(24);
    round.setJoinStyle(Qt::RoundJoin);
    tri = (tri + round.createStroke(tri)).simplified();
    QLinearGradient g(0, 10, 0, 172);
    g.setColorAt(0, QColor(255, 236, 110));
    g.setColorAt(1, QColor(255, 196, 30));
    shapeWith(p, tri, g, 6);
    p.shine(QPointF(80, 70), 12, 6, -60, 150);
    art::face(p, QPointF(100, 118), 90, Mood::Wink);
    return img;
}

QImage paintBlob(int variant) {
    QImage img = art::canvas(170, 150);
    Pen p(&img);
    // Round splashes of paint, each a little different.
    QPainterPath blob = ellipsePath(QPointF(85, 78), 62, 54);
    const double a0 = variant * 40.0;
    for (int i = 0; i < 6; ++i) {
        const double a = qDegreesToRadians(a0 + i * 60.0);
        const double r = 56 + (i % 2) * 6;
        blob += ellipsePath(QPointF(85 + r * std::cos(a), 78 + r * 0.85 * std::sin(a)), 16 - (i % 3) * 2,
                            16 - (i % 3) * 2);
    }
    blob = blob.simplified();
    shapeWith(p, blob, shaded(QColor(252, 252, 252), 14, 140), 5);
    p.shine(QPointF(56, 50), 14, 7, -30, 255);
    art::face(p, QPointF(85, 82), 90, variant == 1 ? Mood::Grin : Mood::Happy);
    return img;
}

} // namespace characters
