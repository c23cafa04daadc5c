#include "art.h"

#include <QFile>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QtMath>

namespace art {

namespace {

// The font comes from the project's own dependency list (fonts-wqy-microhei), so
// lettering looks the same on every machine that builds the project; it covers
// both English and Chinese.
const char* const kFontFile = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

QString fontFamily() {
    static const QString family = [] {
        if (QFile::exists(kFontFile)) {
            const int id = QFontDatabase::addApplicationFont(kFontFile);
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                return families.first();
        }
        return QString("Sans Serif");
    }();
    return family;
}

} // namespace

QColor ink() {
    return QColor(74, 52, 46);
}

QPen outlinePen(double width) {
    QPen pen(ink(), width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QImage canvas(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage opaqueCanvas(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

bool savePng(const QImage& image, const QString& path) {
    const QImage out = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                               : image.convertToFormat(QImage::Format_RGB32);
    return out.save(path, "PNG");
}

Pen::Pen(QImage* image) : QPainter(image) {
    setRenderHint(QPainter::Antialiasing, true);
    setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void Pen::shape(const QPainterPath& path, const QColor& fill, double outline) {
    save();
    setBrush(fill);
    if (outline > 0)
        setPen(outlinePen(outline));
    else
        setPen(Qt::NoPen);
    drawPath(path);
    restore();
}

void Pen::ellipseShape(const QPointF& centre, double rx, double ry, const QColor& fill, double outline) {
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    shape(path, fill, outline);
}

void Pen::fillShape(const QPainterPath& path, const QColor& fill) {
    shape(path, fill, 0);
}

void Pen::shine(const QPointF& centre, double rx, double ry, double angle, int alpha) {
    save();
    translate(centre);
    rotate(angle);
    setPen(Qt::NoPen);
    setBrush(QColor(255, 255, 255, alpha));
    drawEllipse(QPointF(0, 0), rx, ry);
    restore();
}

void eye(QPainter& p, const QPointF& c, double r) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 30, 30));
    p.drawEllipse(c, r * 0.85, r * 1.05);
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(-r * 0.28, -r * 0.38), r * 0.34, r * 0.34);
    p.drawEllipse(c + QPointF(r * 0.3, r * 0.35), r * 0.14, r * 0.14);
    p.restore();
}

void cheek(QPainter& p, const QPointF& c, double r) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 112, 140, 140));
    p.drawEllipse(c, r * 1.2, r * 0.8);
    p.restore();
}

void face(QPainter& p, const QPointF& c, double s, Mood mood) {
    p.save();
    const double er = 0.085 * s;
    const QPointF le(c.x() - 0.21 * s, c.y() - 0.05 * s);
    const QPointF re(c.x() + 0.21 * s, c.y() - 0.05 * s);
    QPen line = outlinePen(std::max(2.0, 0.04 * s));
    line.setColor(QColor(40, 30, 30));
    auto closedEye = [&](const QPointF& e, bool up) {
        QPainterPath path;
        path.moveTo(e + QPointF(-er, 0));
        path.quadTo(e + QPointF(0, up ? -er * 1.4 : er * 1.2), e + QPointF(er, 0));
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    if (mood == Mood::Sleepy) {
        closedEye(le, false);
        closedEye(re, false);
    } else if (mood == Mood::Wink) {
        closedEye(le, true);
        eye(p, re, er);
    } else {
        eye(p, le, er);
        eye(p, re, er);
    }
    cheek(p, QPointF(c.x() - 0.34 * s, c.y() + 0.1 * s), 0.07 * s);
    cheek(p, QPointF(c.x() + 0.34 * s, c.y() + 0.1 * s), 0.07 * s);

    const QPointF m(c.x(), c.y() + 0.12 * s);
    switch (mood) {
    case Mood::Happy:
    case Mood::Sleepy:
    case Mood::Wink: {
        QPainterPath smile;
        const double w = mood == Mood::Sleepy ? 0.08 * s : 0.12 * s;
        smile.moveTo(m + QPointF(-w, 0));
        smile.quadTo(m + QPointF(0, w * 1.1), m + QPointF(w, 0));
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawPath(smile);
        break;
    }
    case Mood::Grin: {
        QPainterPath mouth;
        const double w = 0.15 * s;
        mouth.moveTo(m + QPointF(-w, -0.01 * s));
        mouth.cubicTo(m + QPointF(-w * 0.8, w * 1.3), m + QPointF(w * 0.8, w * 1.3),
                      m + QPointF(w, -0.01 * s));
        mouth.closeSubpath();
        p.setPen(line);
        p.setBrush(QColor(170, 40, 60));
        p.drawPath(mouth);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 120, 130));
        p.setClipPath(mouth);
        p.drawEllipse(m + QPointF(0, w * 0.95), w * 0.6, w * 0.4);
        p.setClipping(false);
        break;
    }
    case Mood::Singing:
    case Mood::Surprised: {
        const double r = mood == Mood::Singing ? 0.055 * s : 0.07 * s;
        p.setPen(line);
        p.setBrush(QColor(170, 40, 60));
        p.drawEllipse(m + QPointF(0, r * 0.6), r * 0.9, r * 1.1);
        break;
    }
    }
    p.restore();
}

QPainterPath starPath(const QPointF& c, double outer, double inner, int points, double rotationDeg) {
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double a = qDegreesToRadians(rotationDeg + i * 180.0 / points);
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QPainterPath roundedStarPath(const QPointF& c, double outer, double inner, int points) {
    // Grow a smaller star by a round stroke: soft tips a child can't prick a finger on.
    const double round = outer * 0.18;
    QPainterPath core = starPath(c, outer - round * 0.5, inner - round * 0.5, points);
    QPainterPathStroker stroker;
    stroker.setWidth(round);
    stroker.setJoinStyle(Qt::RoundJoin);
    return (stroker.createStroke(core) + core).simplified();
}

QPainterPath cloudPath(const QPointF& c, double w) {
    QPainterPath path;
    const double h = w * 0.42;
    path.addRoundedRect(QRectF(c.x() - w / 2, c.y() - h * 0.1, w, h * 0.6), h * 0.3, h * 0.3);
    path.addEllipse(QPointF(c.x() - w * 0.22, c.y()), w * 0.2, w * 0.17);
    path.addEllipse(QPointF(c.x() + w * 0.05, c.y() - h * 0.28), w * 0.24, w * 0.23);
    path.addEllipse(QPointF(c.x() + w * 0.3, c.y() + h * 0.02), w * 0.17, w * 0.15);
    path.setFillRule(Qt::WindingFill); // overlapping puffs join instead of cutting holes
    return path.simplified();
}

QPainterPath heartPath(const QPointF& c, double s) {
    QPainterPath path;
    path.moveTo(c.x(), c.y() + s * 0.45);
    path.cubicTo(c.x() - s * 0.75, c.y() - s * 0.05, c.x() - s * 0.35, c.y() - s * 0.6, c.x(),
                 c.y() - s * 0.2);
    path.cubicTo(c.x() + s * 0.35, c.y() - s * 0.6, c.x() + s * 0.75, c.y() - s * 0.05, c.x(),
                 c.y() + s * 0.45);
    path.closeSubpath();
    return path;
}

void sky(QPainter& p, const QRectF& area, const QColor& top, const QColor& bottom) {
    QLinearGradient g(area.topLeft(), area.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(area, g);
}

void cloud(QPainter& p, const QPointF& c, double w, int alpha) {
    p.save();
    QPainterPath path = cloudPath(c, w);
    p.setPen(QPen(QColor(150, 190, 225, alpha), 4));
    p.setBrush(QColor(255, 255, 255, alpha));
    p.drawPath(path);
    p.restore();
}

void hill(QPainter& p, double left, double right, double baseY, double topY, double peakX,
          const QColor& colour, double bottom) {
    QPainterPath path;
    // Rounded feet down to the bottom edge, so a hill that starts inside the
    // picture shows no straight side.
    const double foot = 70;
    path.moveTo(left - foot, bottom);
    path.quadTo(left - foot, baseY, left, baseY);
    path.cubicTo(left + (peakX - left) * 0.5, baseY, peakX - (peakX - left) * 0.35, topY, peakX, topY);
    path.cubicTo(peakX + (right - peakX) * 0.35, topY, right - (right - peakX) * 0.5, baseY, right, baseY);
    path.quadTo(right + foot, baseY, right + foot, bottom);
    path.closeSubpath();
    QLinearGradient g(0, topY, 0, bottom);
    g.setColorAt(0, colour.lighter(112));
    g.setColorAt(1, colour.darker(108));
    p.save();
    p.setBrush(g);
    p.setPen(QPen(colour.darker(135), 4));
    p.drawPath(path);
    p.restore();
}

void flower(QPainter& p, const QPointF& c, double r, const QColor& petals) {
    p.save();
    p.setPen(QPen(ink(), std::max(1.5, r * 0.12)));
    p.setBrush(petals);
    for (int i = 0; i < 5; ++i) {
        const double a = qDegreesToRadians(-90.0 + i * 72.0);
        p.drawEllipse(QPointF(c.x() + r * 0.62 * std::cos(a), c.y() + r * 0.62 * std::sin(a)), r * 0.45,
                      r * 0.45);
    }
    p.setBrush(QColor(255, 214, 64));
    p.drawEllipse(c, r * 0.38, r * 0.38);
    p.restore();
}

void tuft(QPainter& p, const QPointF& base, double s, const QColor& colour) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int i = -1; i <= 1; ++i) {
        QPainterPath blade;
        blade.moveTo(base.x() + i * s * 0.25 - s * 0.12, base.y());
        blade.quadTo(base.x() + i * s * 0.3, base.y() - s * (i == 0 ? 1.0 : 0.7), base.x() + i * s * 0.55,
                     base.y() - s * (i == 0 ? 1.05 : 0.75));
        blade.quadTo(base.x() + i * s * 0.25, base.y() - s * 0.3, base.x() + i * s * 0.25 + s * 0.12,
                     base.y());
        blade.closeSubpath();
        p.drawPath(blade);
    }
    p.restore();
}

void sunburstGlow(QPainter& p, const QPointF& c, double radius, const QColor& colour) {
    QRadialGradient g(c, radius);
    QColor inner = colour;
    inner.setAlpha(170);
    QColor outer = colour;
    outer.setAlpha(0);
    g.setColorAt(0, inner);
    g.setColorAt(1, outer);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, radius, radius);
    p.restore();
}

QFont bookFont(double pixelSize, bool bold) {
    QFont font(fontFamily());
    font.setPixelSize(int(pixelSize));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void stickerText(QPainter& p, const QString& text, const QPointF& centre, double pixelSize,
                 const QColor& fill, double rim) {
    QPainterPath path;
    path.addText(0, 0, bookFont(pixelSize), text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    p.save();
    QPen outer = outlinePen(2 * rim + std::max(4.0, pixelSize * 0.07));
    p.strokePath(path, outer);
    QPen white(Qt::white, 2 * rim);
    white.setJoinStyle(Qt::RoundJoin);
    p.strokePath(path, white);
    p.fillPath(path, fill);
    p.strokePath(path, QPen(fill.darker(130), 1.5));
    p.restore();
}

void caption(QPainter& p, const QRectF& board, const QString& english, const QString& chinese,
             const QColor& englishColour) {
    p.save();
    QPainterPath shape;
    shape.addRoundedRect(board, 28, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPath(shape.translated(0, 6));
    p.setBrush(QColor(255, 253, 240, 240));
    p.setPen(outlinePen(4));
    p.drawPath(shape);
    const double top = board.top() + board.height() * 0.36;
    stickerText(p, english, QPointF(board.center().x(), top), board.height() * 0.36, englishColour, 4);
    QPainterPath zh;
    zh.addText(0, 0, bookFont(board.height() * 0.25, true), chinese);
    zh.translate(QPointF(board.center().x(), board.top() + board.height() * 0.76) -
                 zh.boundingRect().center());
    p.fillPath(zh, ink());
    p.restore();
}

} // namespace art
