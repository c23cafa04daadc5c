#include "books.h"

#include "art.h"
#include "bookformat.h"
#include "characters.h"
#include "sounds.h"

#include <QDir>
#include <QMap>
#include <QtMath>
#include <functional>

using namespace bookformat;
using characters::NavKind;

namespace books {

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// Non-looping page music replays itself every 0.1 s for its first N seconds
// (music type N). A silent lead-in a little longer than that keeps the restarts
// inaudible, so the tune is heard once, whole.
double leadInFor(int musicType) {
    return musicType + 0.5;
}

// Saves pictures and sounds below the book folder and answers their relative
// names; remembers the first failure.
class Folder {
public:
    explicit Folder(QString dir) : dir_(std::move(dir)) {}

    QString picture(const QString& name, const std::function<QImage()>& draw) {
        return save("pictures/" + name + ".png",
                    [&](const QString& path) { return art::savePng(draw(), path); });
    }
    QString sound(const QString& name, const std::function<synth::Buffer()>& make) {
        return save("sounds/" + name + ".wav",
                    [&](const QString& path) { return synth::writeWav(path, make()); });
    }
    QString music(const QString& name, double leadIn = 0.0) {
        return save("music/" + name + ".wav",
                    [&](const QString& path) { return synth::writeWav(path, sounds::song(name, leadIn)); });
    }
    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }

private:
    QString save(const QString& relative, const std::function<bool(const QString&)>& write) {
        if (done_.contains(relative))
            return relative;
        const QString path = dir_ + "/" + relative;
        QDir().mkpath(QFileInfo(path).path());
        if (!write(path) && error_.isEmpty())
            error_ = path + ": cannot be written";
        done_.insert(relative, true);
        return relative;
    }

    QString dir_;
    QMap<QString, bool> done_;
    QString error_;
};

// ---- Building blocks of pages ----

QRectF whole(const QImage& image) {
    return QRectF(0, 0, image.width(), image.height());
}

Sprite sprite(const QString& name, const QString& picture, QPointF position) {
    Sprite s;
    s.name = name;
    s.picture = picture;
    s.position = position;
    return s;
}

// A hot spot over the whole picture (the touch area is relative to the sprite's position).
Action touch(Action a, const QImage& image, double inset = 0) {
    const QRectF r = whole(image).adjusted(inset, inset, -inset, -inset);
    a.hotspot = r;
    return a;
}

Action pageJump(int page, int transition) {
    Action a;
    a.kind = PageJump;
    a.toPage = page;
    a.change = transition;
    a.delayMs = 1000;
    return a;
}

struct Buttons {
    QString left, right, home, exit;
};

Buttons navButtons(Folder& f) {
    return {f.picture("button_left", [] { return characters::navButton(NavKind::Left); }),
            f.picture("button_right", [] { return characters::navButton(NavKind::Right); }),
            f.picture("button_home", [] { return characters::navButton(NavKind::Home); }),
            f.picture("button_exit", [] { return characters::navButton(NavKind::Exit); })};
}

// Which of the four buttons a page shows, at the book's fixed places.
std::vector<Button> buttons(const Buttons& b, bool left, bool right, bool home, bool exit) {
    std::vector<Button> out;
    if (left)
        out.push_back({"button_left", b.left, QRectF(16, 656, 96, 96)});
    if (right)
        out.push_back({"button_right", b.right, QRectF(912, 656, 96, 96)});
    if (home)
        out.push_back({"button_home", b.home, QRectF(16, 16, 96, 96)});
    if (exit)
        out.push_back({"button_exit", b.exit, QRectF(912, 16, 96, 96)});
    return out;
}

// ---- Scenery ----

void scatterFlowers(QPainter& p, synth::Rng& rng, const QRectF& area, int count) {
    const QColor colours[] = {QColor(255, 110, 150), QColor(255, 255, 255), QColor(170, 130, 255),
                              QColor(255, 160, 60), QColor(110, 190, 255)};
    for (int i = 0; i < count; ++i) {
        const QPointF c(area.left() + rng.unit() * area.width(), area.top() + rng.unit() * area.height());
        const double depth = (c.y() - area.top()) / area.height(); // nearer flowers are bigger
        art::flower(p, c, 8 + 8 * depth, colours[i % 5]);
    }
}

void scatterTufts(QPainter& p, synth::Rng& rng, const QRectF& area, int count, const QColor& colour) {
    for (int i = 0; i < count; ++i) {
        const QPointF c(area.left() + rng.unit() * area.width(), area.top() + rng.unit() * area.height());
        art::tuft(p, c, 14 + 14 * (c.y() - area.top()) / area.height(), colour);
    }
}

void rainbow(QPainter& p, const QPointF& centre, double outer, double band, int alpha) {
    const QColor colours[] = {QColor(255, 90, 90),  QColor(255, 160, 60), QColor(255, 225, 70),
                              QColor(110, 210, 90), QColor(80, 170, 255), QColor(150, 110, 240)};
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        QColor c = colours[i];
        c.setAlpha(alpha);
        p.setPen(QPen(c, band, Qt::SolidLine, Qt::FlatCap));
        const double r = outer - band * (i + 0.5);
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 0, 180 * 16);
    }
    p.restore();
}

void drawImage(QPainter& p, const QImage& image, const QPointF& topLeft, double scale = 1.0) {
    p.drawImage(QRectF(topLeft, QSizeF(image.width() * scale, image.height() * scale)), image);
}

void sunnyMeadow(QPainter& p, synth::Rng& rng, double meadowTop) {
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(84, 184, 248), QColor(206, 238, 255));
    art::hill(p, -40, 640, meadowTop + 10, meadowTop - 120, 250, QColor(150, 222, 110), kHeight);
    art::hill(p, 380, 1070, meadowTop + 20, meadowTop - 90, 820, QColor(136, 212, 100), kHeight);
    art::hill(p, -40, 1070, meadowTop + 70, meadowTop + 10, 512, QColor(104, 196, 84), kHeight);
    scatterTufts(p, rng, QRectF(0, meadowTop + 70, kWidth, kHeight - meadowTop - 80), 26,
                 QColor(80, 170, 70));
}

void barn(QPainter& p, const QPointF& at, double scale) {
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    art::Pen& pen = static_cast<art::Pen&>(p);
    QPainterPath body;
    body.moveTo(0, 60);
    body.lineTo(80, 0);
    body.lineTo(160, 60);
    body.lineTo(160, 150);
    body.lineTo(0, 150);
    body.closeSubpath();
    pen.shape(body, QColor(230, 80, 70), 5);
    QPainterPath roof;
    roof.moveTo(-12, 66);
    roof.lineTo(80, -6);
    roof.lineTo(172, 66);
    pen.setPen(art::outlinePen(14));
    pen.drawPath(roof);
    pen.setPen(QPen(QColor(250, 245, 235), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    pen.drawPath(roof);
    QPainterPath door;
    door.addRect(QRectF(50, 84, 60, 66));
    pen.shape(door, QColor(250, 245, 235), 4);
    pen.setPen(QPen(QColor(230, 80, 70), 5));
    pen.drawLine(QPointF(52, 86), QPointF(108, 148));
    pen.drawLine(QPointF(108, 86), QPointF(52, 148));
    QPainterPath window;
    window.addEllipse(QPointF(80, 44), 14, 14);
    pen.shape(window, QColor(255, 230, 140), 4);
    p.restore();
}

void fence(QPainter& p, double left, double right, double y) {
    art::Pen& pen = static_cast<art::Pen&>(p);
    const QColor wood(236, 200, 150);
    for (double x = left; x < right; x += 46) {
        QPainterPath post;
        post.moveTo(x, y);
        post.lineTo(x + 9, y - 10);
        post.lineTo(x + 18, y);
        post.lineTo(x + 18, y + 62);
        post.lineTo(x, y + 62);
        post.closeSubpath();
        pen.shape(post, wood, 3);
    }
    for (double dy : {12.0, 40.0}) {
        QPainterPath rail;
        rail.addRoundedRect(QRectF(left - 8, y + dy, right - left + 10, 10), 4, 4);
        pen.shape(rail, wood.darker(105), 3);
    }
}

void pond(QPainter& p, const QPointF& c, double rx, double ry) {
    art::Pen& pen = static_cast<art::Pen&>(p);
    pen.ellipseShape(c, rx + 10, ry + 8, QColor(160, 140, 110), 0);
    pen.ellipseShape(c, rx, ry, QColor(96, 180, 240), 4);
    p.save();
    p.setPen(QPen(QColor(200, 235, 255), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - rx * 0.7, c.y() - ry * 0.55, rx * 0.5, ry * 0.4), 20 * 16, 140 * 16);
    p.drawArc(QRectF(c.x() + rx * 0.2, c.y() + ry * 0.1, rx * 0.4, ry * 0.35), 20 * 16, 140 * 16);
    p.restore();
}

void lilyPad(QPainter& p, const QPointF& c, double r) {
    art::Pen& pen = static_cast<art::Pen&>(p);
    QPainterPath pad;
    pad.moveTo(c);
    pad.arcTo(QRectF(c.x() - r, c.y() - r * 0.4, 2 * r, r * 0.8), 20, 320);
    pad.closeSubpath();
    pen.shape(pad, QColor(90, 180, 80), 3);
}

void tree(QPainter& p, const QPointF& trunkBase, double scale) {
    art::Pen& pen = static_cast<art::Pen&>(p);
    p.save();
    p.translate(trunkBase);
    p.scale(scale, scale);
    QPainterPath trunk;
    trunk.moveTo(-40, 0);
    trunk.cubicTo(-24, -80, -30, -200, -26, -300);
    trunk.lineTo(26, -300);
    trunk.cubicTo(30, -200, 24, -80, 40, 0);
    trunk.closeSubpath();
    pen.shape(trunk, QColor(160, 110, 70), 5);
    QPainterPath crown;
    const QPointF puffs[] = {{0, -330},   {-90, -300}, {90, -300}, {-130, -380}, {130, -380},
                             {-60, -440}, {60, -440},  {0, -470},  {0, -390}};
    const double sizes[] = {90, 80, 80, 75, 75, 80, 80, 70, 100};
    for (int i = 0; i < 9; ++i)
        crown.addEllipse(puffs[i], sizes[i], sizes[i] * 0.9);
    crown.setFillRule(Qt::WindingFill);
    crown = crown.simplified();
    QLinearGradient g(0, -560, 0, -230);
    g.setColorAt(0, QColor(130, 215, 90));
    g.setColorAt(1, QColor(70, 165, 70));
    p.setBrush(g);
    p.setPen(art::outlinePen(5));
    p.drawPath(crown);
    for (const QPointF& apple :
         {QPointF(-80, -350), QPointF(70, -420), QPointF(40, -300), QPointF(-20, -450)})
        pen.ellipseShape(apple, 13, 13, QColor(255, 90, 90), 3);
    p.restore();
}

void bunting(QPainter& p, double y, double sag, int flags) {
    art::Pen& pen = static_cast<art::Pen&>(p);
    const QColor colours[] = {QColor(255, 90, 110), QColor(255, 200, 60), QColor(90, 190, 255),
                              QColor(120, 210, 100), QColor(190, 130, 255)};
    QPainterPath rope;
    rope.moveTo(-10, y);
    rope.quadTo(kWidth / 2.0, y + sag * 2, kWidth + 10, y);
    p.setPen(art::outlinePen(3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(rope);
    for (int i = 0; i < flags; ++i) {
        const double t = (i + 0.5) / flags;
        const QPointF a = rope.pointAtPercent(std::max(0.0, t - 0.02));
        const QPointF b = rope.pointAtPercent(std::min(1.0, t + 0.02));
        QPainterPath flag;
        flag.moveTo(a);
        flag.lineTo(b);
        flag.lineTo((a + b) / 2 + QPointF(0, 48));
        flag.closeSubpath();
        pen.shape(flag, colours[i % 5], 3);
    }
}

// ---- Happy Meadow ----

QImage titleBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(11);
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(84, 184, 248), QColor(206, 238, 255));
    rainbow(p, QPointF(512, 560), 470, 26, 200);
    art::cloud(p, QPointF(330, 120), 170);
    art::cloud(p, QPointF(720, 80), 140);
    art::cloud(p, QPointF(930, 190), 120);
    art::hill(p, -40, 640, 590, 470, 250, QColor(150, 222, 110), kHeight);
    art::hill(p, 380, 1070, 600, 490, 820, QColor(136, 212, 100), kHeight);
    art::hill(p, -40, 1070, 650, 590, 512, QColor(104, 196, 84), kHeight);
    scatterFlowers(p, rng, QRectF(20, 620, 980, 130), 30);
    drawImage(p, characters::cow(), QPointF(26, 520), 0.85);
    drawImage(p, characters::bunny(), QPointF(780, 560), 0.9);
    drawImage(p, characters::chick(0), QPointF(690, 620), 0.8);
    art::stickerText(p, "Happy Meadow", QPointF(500, 258), 96, QColor(255, 130, 50), 11);
    art::stickerText(p, QString::fromUtf8("快乐草地"), QPointF(512, 366), 64, QColor(80, 170, 250), 9);
    return img;
}

QImage meadowBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(12);
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(84, 184, 248), QColor(206, 238, 255));
    art::cloud(p, QPointF(150, 190), 150);
    art::cloud(p, QPointF(880, 180), 160);
    art::hill(p, -40, 600, 470, 330, 240, QColor(150, 222, 110), kHeight);
    barn(p, QPointF(110, 250), 1.0);
    art::hill(p, 380, 1070, 480, 350, 820, QColor(136, 212, 100), kHeight);
    art::hill(p, -40, 1070, 560, 470, 500, QColor(104, 196, 84), kHeight);
    fence(p, 560, 1000, 446);
    pond(p, QPointF(770, 662), 240, 82);
    lilyPad(p, QPointF(620, 668), 34);
    lilyPad(p, QPointF(930, 690), 28);
    scatterFlowers(p, rng, QRectF(20, 600, 480, 150), 14);
    scatterTufts(p, rng, QRectF(20, 560, 480, 190), 10, QColor(80, 170, 70));
    art::caption(p, QRectF(252, 22, 520, 112), "Hello, farm friends!",
                 QString::fromUtf8("你好，农场的朋友们！"), QColor(255, 120, 60));
    return img;
}

QImage partyBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(13);
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(120, 200, 255), QColor(230, 246, 255));
    art::cloud(p, QPointF(160, 210), 130, 230);
    art::cloud(p, QPointF(640, 230), 110, 230);
    art::hill(p, -40, 1070, 600, 520, 512, QColor(120, 206, 96), kHeight);
    scatterTufts(p, rng, QRectF(0, 640, kWidth, 120), 18, QColor(80, 170, 70));
    // Confetti in the air.
    const QColor confetti[] = {QColor(255, 90, 110), QColor(255, 200, 60), QColor(90, 190, 255),
                               QColor(120, 210, 100), QColor(190, 130, 255)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        const QPointF c(rng.unit() * kWidth, 150 + rng.unit() * 380);
        p.save();
        p.translate(c);
        p.rotate(rng.unit() * 180);
        p.setBrush(confetti[i % 5]);
        p.drawRoundedRect(QRectF(-6, -3, 12, 6), 2, 2);
        p.restore();
    }
    bunting(p, 8, 40, 14);
    // A picnic table with a cake.
    QPainterPath cloth;
    cloth.addRoundedRect(QRectF(640, 560, 250, 26), 8, 8);
    p.shape(cloth, QColor(255, 250, 250), 4);
    for (double x : {660.0, 846.0}) {
        QPainterPath leg;
        leg.addRect(QRectF(x, 584, 22, 100));
        p.shape(leg, QColor(200, 150, 100), 4);
    }
    QPainterPath cake;
    cake.addRoundedRect(QRectF(700, 470, 130, 92), 14, 14);
    p.shape(cake, QColor(255, 200, 220), 5);
    QPainterPath icing;
    icing.moveTo(700, 494);
    for (int i = 0; i < 5; ++i)
        icing.quadTo(713 + i * 26, 520, 726 + i * 26, 494);
    icing.lineTo(830, 484);
    icing.quadTo(830, 470, 816, 470);
    icing.lineTo(714, 470);
    icing.quadTo(700, 470, 700, 484);
    icing.closeSubpath();
    p.shape(icing, QColor(255, 255, 255), 4);
    for (int i = 0; i < 3; ++i) {
        QPainterPath candle;
        candle.addRoundedRect(QRectF(728 + i * 32, 432, 12, 40), 4, 4);
        p.shape(candle, confetti[i + 1], 3);
        p.ellipseShape(QPointF(734 + i * 32, 424), 6, 10, QColor(255, 190, 40), 3);
    }
    art::caption(p, QRectF(262, 84, 500, 112), "Balloon party!", QString::fromUtf8("气球派对！"),
                 QColor(240, 80, 140));
    return img;
}

QImage birdsBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(14);
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(84, 184, 248), QColor(206, 238, 255));
    art::cloud(p, QPointF(560, 250), 130);
    art::cloud(p, QPointF(960, 120), 110);
    art::hill(p, 300, 1070, 520, 420, 700, QColor(150, 222, 110), kHeight);
    art::hill(p, -40, 1070, 600, 520, 400, QColor(110, 200, 88), kHeight);
    // Windmill tower; its sails are a sprite.
    QPainterPath tower;
    tower.moveTo(820, 650);
    tower.lineTo(840, 380);
    tower.lineTo(900, 380);
    tower.lineTo(920, 650);
    tower.closeSubpath();
    p.shape(tower, QColor(250, 240, 220), 5);
    QPainterPath roof;
    roof.moveTo(826, 392);
    roof.lineTo(870, 330);
    roof.lineTo(914, 392);
    roof.closeSubpath();
    p.shape(roof, QColor(230, 90, 80), 5);
    QPainterPath door;
    door.addRoundedRect(QRectF(852, 590, 36, 60), 16, 16);
    p.shape(door, QColor(170, 110, 70), 4);
    p.ellipseShape(QPointF(870, 470), 14, 14, QColor(150, 210, 255), 4);
    // The tree with the chick's branch.
    tree(p, QPointF(190, 660), 1.0);
    QPainterPath branch;
    branch.moveTo(210, 356);
    branch.cubicTo(280, 340, 360, 346, 440, 330);
    branch.lineTo(444, 344);
    branch.cubicTo(360, 362, 290, 362, 214, 378);
    branch.closeSubpath();
    p.shape(branch, QColor(160, 110, 70), 4);
    p.shape(QPainterPath([] {
                QPainterPath leaf;
                leaf.addEllipse(QPointF(448, 326), 20, 11);
                return leaf;
            }()),
            QColor(110, 200, 80), 3);
    scatterFlowers(p, rng, QRectF(320, 620, 500, 130), 16);
    scatterTufts(p, rng, QRectF(0, 640, kWidth, 110), 14, QColor(70, 160, 64));
    art::caption(p, QRectF(420, 22, 420, 112), "Tweet, tweet!", QString::fromUtf8("叽叽喳喳！"),
                 QColor(60, 150, 240));
    return img;
}

QImage nightBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(15);
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(24, 34, 96), QColor(84, 90, 170));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const QPointF c(rng.unit() * kWidth, rng.unit() * 420);
        const double r = 1.2 + rng.unit() * 2.2;
        p.setBrush(QColor(255, 255, 220, 120 + int(rng.unit() * 130)));
        p.drawEllipse(c, r, r);
    }
    art::hill(p, -40, 640, 520, 420, 260, QColor(44, 96, 110), kHeight);
    art::hill(p, 380, 1070, 540, 430, 800, QColor(40, 88, 104), kHeight);
    // Little houses with warm windows far away.
    for (const QPointF& at : {QPointF(600, 452), QPointF(690, 470), QPointF(900, 470)}) {
        QPainterPath house;
        house.moveTo(at);
        house.lineTo(at + QPointF(28, -26));
        house.lineTo(at + QPointF(56, 0));
        house.lineTo(at + QPointF(56, 44));
        house.lineTo(at + QPointF(0, 44));
        house.closeSubpath();
        p.shape(house, QColor(70, 80, 130), 3);
        p.ellipseShape(at + QPointF(28, 20), 9, 9, QColor(255, 214, 110), 0);
    }
    art::hill(p, -40, 1070, 640, 560, 520, QColor(54, 120, 100), kHeight);
    scatterTufts(p, rng, QRectF(0, 650, kWidth, 100), 16, QColor(40, 100, 84));
    // The owl's branch.
    QPainterPath branch;
    branch.moveTo(-10, 420);
    branch.cubicTo(100, 410, 200, 428, 330, 414);
    branch.lineTo(334, 432);
    branch.cubicTo(200, 448, 100, 440, -10, 446);
    branch.closeSubpath();
    p.shape(branch, QColor(120, 84, 60), 4);
    for (const QPointF& leaf : {QPointF(300, 404), QPointF(250, 446), QPointF(60, 404)})
        p.ellipseShape(leaf, 18, 10, QColor(70, 140, 90), 3);
    art::caption(p, QRectF(200, 560, 420, 104), "Good night, moon!", QString::fromUtf8("晚安，月亮！"),
                 QColor(90, 110, 240));
    return img;
}

QImage endBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(16);
    art::sky(p, QRectF(0, 0, kWidth, kHeight), QColor(84, 184, 248), QColor(206, 238, 255));
    rainbow(p, QPointF(512, 600), 500, 26, 200);
    art::cloud(p, QPointF(150, 150), 150);
    art::cloud(p, QPointF(880, 300), 130);
    art::hill(p, -40, 1070, 600, 520, 512, QColor(110, 202, 88), kHeight);
    scatterFlowers(p, rng, QRectF(30, 690, 960, 60), 14);
    // Everybody waves goodbye.
    drawImage(p, characters::cow(), QPointF(40, 440), 0.8);
    drawImage(p, characters::sheep(), QPointF(230, 470), 0.8);
    drawImage(p, characters::frog(), QPointF(660, 520), 0.9);
    pond(p, QPointF(232, 690), 90, 24);
    drawImage(p, characters::duck(), QPointF(176, 610), 0.8);
    drawImage(p, characters::bunny(), QPointF(800, 450), 0.85);
    drawImage(p, characters::chick(1), QPointF(560, 500), 0.9);
    art::stickerText(p, "The End", QPointF(512, 250), 110, QColor(255, 110, 60), 11);
    art::stickerText(p, QString::fromUtf8("再见！"), QPointF(512, 360), 60, QColor(80, 170, 250), 9);
    return img;
}

Book happyMeadow(Folder& f) {
    Book book;
    const Buttons nav = navButtons(f);

    // Page 0: the title page.
    {
        Page page;
        page.name = "title";
        page.picture = f.picture("page0_title", titleBackground);
        page.change = 4; // the right button slides the next page in from the right
        page.music = f.music("title");
        page.musicType = 0;
        page.buttons = buttons(nav, false, true, false, true);

        const QImage rays = characters::sunRays();
        Sprite sunRays = sprite("sun_rays", f.picture("sun_rays", characters::sunRays), QPointF(20, 16));
        Action spin;
        spin.kind = Rotate;
        spin.oneWay = 1;
        spin.repeat = -1;
        spin.deltaAngle = 360;
        spin.delayMs = 12000;
        sunRays.defaults.push_back(spin);

        const QImage faceImage = characters::sunFace();
        Sprite sunFace = sprite("sun", f.picture("sun_face", characters::sunFace), QPointF(65, 61));
        Action grow;
        grow.kind = Scale;
        grow.oneWay = 0;
        grow.repeat = 2;
        grow.scaleRate = 1.2;
        grow.delayMs = 300;
        grow.sound = f.sound("chime", sounds::chime);
        sunFace.hotspot.push_back(touch(grow, faceImage));

        const QImage bunch = characters::balloonBunch();
        Sprite balloons =
            sprite("balloons", f.picture("balloon_bunch", characters::balloonBunch), QPointF(846, 300));
        Action drift;
        drift.kind = Curve;
        drift.repeat = -1;
        drift.delayMs = 2600;
        drift.ctl1 = QPointF(-20, 30);
        drift.ctl2 = QPointF(24, 60);
        drift.dst = QPointF(0, 44);
        // No hot spot here: a touch stops a sprite's own actions for the rest of the page.
        balloons.defaults.push_back(drift);

        const QString sparklePicture = f.picture("sparkle", characters::sparkle);
        Sprite sparkle1 = sprite("sparkle_left", sparklePicture, QPointF(170, 300));
        Sprite sparkle2 = sprite("sparkle_right", sparklePicture, QPointF(700, 300));
        Action twinkle;
        twinkle.kind = Blink;
        twinkle.repeat = -1;
        twinkle.delayMs = 1300;
        sparkle1.defaults.push_back(twinkle);
        twinkle.delayMs = 1700;
        sparkle2.defaults.push_back(twinkle);

        Sprite glow = sprite("glow", f.picture("halo", characters::halo), QPointF(387, 416));
        Action pulse;
        pulse.kind = Scale;
        pulse.oneWay = 0;
        pulse.repeat = -1;
        pulse.scaleRate = 1.12;
        pulse.delayMs = 900;
        glow.defaults.push_back(pulse);

        const QImage play = characters::playButton();
        Sprite start = sprite("start", f.picture("play", characters::playButton), QPointF(412, 441));
        start.hotspot.push_back(touch(pageJump(1, 1), play));

        page.sprites = {sunRays, sunFace, balloons, sparkle1, sparkle2, glow, start};
        book.pages.push_back(page);
    }

    // Page 1: farm friends.
    {
        Page page;
        page.name = "farm friends";
        page.picture = f.picture("page1_meadow", meadowBackground);
        page.change = 3; // back slides in from the left; forward becomes from the right
        page.music = f.music("meadow");
        page.musicType = 0;
        page.buttons = buttons(nav, true, true, false, true);

        const QImage cowImage = characters::cow();
        Sprite cow = sprite("cow", f.picture("cow", characters::cow), QPointF(60, 404));
        Action wiggle;
        wiggle.kind = Swing;
        wiggle.repeat = 2;
        wiggle.rightMs = 220;
        wiggle.rightAngle = 8;
        wiggle.leftMs = 220;
        wiggle.leftAngle = -8;
        wiggle.sound = f.sound("moo", sounds::moo);
        cow.hotspot.push_back(touch(wiggle, cowImage, 6));

        const QImage sheepImage = characters::sheep();
        Sprite sheep = sprite("sheep", f.picture("sheep", characters::sheep), QPointF(320, 448));
        Action spin;
        spin.kind = Rotate;
        spin.oneWay = 0;
        spin.repeat = 1;
        spin.deltaAngle = 360;
        spin.delayMs = 900;
        spin.sound = f.sound("baa", sounds::baa);
        sheep.hotspot.push_back(touch(spin, sheepImage, 6));

        Sprite duck = sprite("duck", f.picture("duck", characters::duck), QPointF(800, 606));
        Action swim;
        swim.kind = Move;
        swim.oneWay = 0;
        swim.repeat = -1;
        swim.delayMs = 4200;
        swim.dst = QPointF(660, 614);
        duck.defaults.push_back(swim);

        const QImage frogImage = characters::frog();
        Sprite frog = sprite("frog", f.picture("frog", characters::frog), QPointF(540, 478));
        Action hop;
        hop.kind = Jump;
        hop.oneWay = 0;
        hop.repeat = 1;
        hop.jumps = 1;
        hop.jumpHeight = 110;
        hop.delayMs = 800;
        hop.dst = QPointF(680, 478);
        hop.sound = f.sound("ribbit", sounds::ribbit);
        frog.hotspot.push_back(touch(hop, frogImage, 4));

        Sprite butterfly =
            sprite("butterfly", f.picture("butterfly", characters::butterfly), QPointF(430, 250));
        Action flutter;
        flutter.kind = Curve;
        flutter.repeat = -1;
        flutter.delayMs = 3600;
        flutter.ctl1 = QPointF(90, 100);
        flutter.ctl2 = QPointF(200, -80);
        flutter.dst = QPointF(300, 30);
        butterfly.defaults.push_back(flutter);

        const QImage signImage = characters::signpost();
        Sprite sign = sprite("signpost", f.picture("signpost", characters::signpost), QPointF(840, 270));
        sign.hotspot.push_back(touch(pageJump(3, 2), signImage));

        page.sprites = {cow, sheep, duck, frog, butterfly, sign};
        book.pages.push_back(page);
    }

    // Page 2: the balloon party.
    {
        Page page;
        page.name = "balloon party";
        page.picture = f.picture("page2_party", partyBackground);
        page.change = 5;
        page.music = f.music("party", leadInFor(1));
        page.musicType = 1;
        page.buttons = buttons(nav, true, true, true, true);

        // Two small balloons rise into the sky again and again.
        Sprite floatA =
            sprite("float_orange",
                   f.picture("balloon_orange", [] { return characters::balloon(QColor(255, 150, 50)); }),
                   QPointF(890, 560));
        floatA.zoom = 0.55;
        Action rise;
        rise.kind = Move;
        rise.oneWay = 1;
        rise.repeat = -1;
        rise.delayMs = 8000;
        rise.dst = QPointF(910, -260);
        floatA.defaults.push_back(rise);
        Sprite floatB =
            sprite("float_green",
                   f.picture("balloon_green", [] { return characters::balloon(QColor(120, 210, 90)); }),
                   QPointF(560, 620));
        floatB.zoom = 0.45;
        rise.delayMs = 11000;
        rise.dst = QPointF(520, -260);
        floatB.defaults.push_back(rise);

        // Touch a balloon and it changes its colour for a moment.
        struct Big {
            const char* name;
            QColor colour;
            QPointF at;
            int r, g, b;
        };
        const Big bigs[] = {{"balloon_yellow", QColor(255, 214, 50), QPointF(50, 250), 0, -200, 0},
                            {"balloon_blue", QColor(110, 190, 255), QPointF(200, 200), -255, 0, -255},
                            {"balloon_pink", QColor(255, 140, 200), QPointF(350, 262), -255, -55, 0}};
        const QString squeak = f.sound("squeak", sounds::squeak);
        std::vector<Sprite> balloons;
        for (const Big& big : bigs) {
            const QImage image = characters::balloon(big.colour);
            Sprite s = sprite(big.name, f.picture(big.name, [&] { return image; }), big.at);
            Action tint;
            tint.kind = Tint;
            tint.oneWay = 0;
            tint.repeat = 1;
            tint.delayMs = 700;
            tint.red = big.r;
            tint.green = big.g;
            tint.blue = big.b;
            tint.sound = squeak;
            // The balloon, not its string, is the touch area.
            Action a = tint;
            a.hotspot = QRectF(8, 0, 114, 160);
            s.hotspot.push_back(a);
            balloons.push_back(s);
        }

        const QImage giftImage = characters::present();
        Sprite gift = sprite("present", f.picture("present", characters::present), QPointF(412, 540));
        Action pop;
        pop.kind = Scale;
        pop.oneWay = 0;
        pop.repeat = 1;
        pop.scaleRate = 1.25;
        pop.delayMs = 350;
        pop.sound = f.sound("tada", sounds::tada);
        gift.hotspot.push_back(touch(pop, giftImage, 8));

        const QImage starImage = characters::starFace();
        Sprite star = sprite("star", f.picture("star_face", characters::starFace), QPointF(830, 250));
        Action twinkle;
        twinkle.kind = Blink;
        twinkle.repeat = 4;
        twinkle.delayMs = 250;
        twinkle.sound = f.sound("chime", sounds::chime);
        star.hotspot.push_back(touch(twinkle, starImage, 6));

        page.sprites = {floatA, floatB};
        page.sprites.insert(page.sprites.end(), balloons.begin(), balloons.end());
        page.sprites.push_back(gift);
        page.sprites.push_back(star);
        book.pages.push_back(page);
    }

    // Page 3: birds in the tree and the windmill.
    {
        Page page;
        page.name = "birds";
        page.picture = f.picture("page3_birds", birdsBackground);
        page.change = 6;
        page.music = f.music("birds");
        page.musicType = 0;
        page.buttons = buttons(nav, true, true, true, true);

        const QString birdStrip =
            f.picture("bird_strip", [] { return characters::strip(characters::bird, 4); });
        Sprite bird =
            sprite("bird", f.picture("bird", [] { return characters::bird(0); }), QPointF(560, 150));
        Action flap;
        flap.kind = FrameAnimation;
        flap.repeat = -1;
        flap.delayMs = 120;
        flap.textureFrames = 4;
        flap.textureWidth = 130;
        flap.textureHeight = 110;
        flap.texture = birdStrip;
        bird.defaults.push_back(flap);

        const QImage chickImage = characters::chick(0);
        const QString chickStrip =
            f.picture("chick_strip", [] { return characters::strip(characters::chick, 4); });
        Sprite chick =
            sprite("chick", f.picture("chick", [] { return characters::chick(0); }), QPointF(300, 234));
        Action cheep;
        cheep.kind = FrameAnimation;
        cheep.repeat = 3;
        cheep.delayMs = 110;
        cheep.textureFrames = 4;
        cheep.textureWidth = 110;
        cheep.textureHeight = 110;
        cheep.texture = chickStrip;
        cheep.sound = f.sound("tweet", sounds::tweet);
        chick.hotspot.push_back(touch(cheep, chickImage));

        const QImage sailsImage = characters::windmillSails();
        Sprite sails =
            sprite("windmill", f.picture("windmill_sails", characters::windmillSails), QPointF(730, 250));
        Action turn;
        turn.kind = Rotate;
        turn.oneWay = 1;
        turn.repeat = 1;
        turn.deltaAngle = 720;
        turn.delayMs = 2400;
        turn.sound = f.sound("whoosh", sounds::whoosh);
        sails.hotspot.push_back(touch(turn, sailsImage, 20));

        Sprite bee = sprite("bee", f.picture("bee", characters::bee), QPointF(400, 560));
        Action buzz;
        buzz.kind = Curve;
        buzz.repeat = -1;
        buzz.delayMs = 3000;
        buzz.ctl1 = QPointF(60, 90);
        buzz.ctl2 = QPointF(170, -60);
        buzz.dst = QPointF(240, 30);
        bee.defaults.push_back(buzz);

        page.sprites = {bird, chick, sails, bee};
        book.pages.push_back(page);
    }

    // Page 4: good night.
    {
        Page page;
        page.name = "good night";
        page.picture = f.picture("page4_night", nightBackground);
        page.change = 7;
        page.music = f.music("lullaby");
        page.musicType = 0;
        page.buttons = buttons(nav, true, true, true, true);

        const QImage moonImage = characters::moon();
        Sprite moon = sprite("moon", f.picture("moon", characters::moon), QPointF(690, 80));
        Action rock;
        rock.kind = Swing;
        rock.repeat = 1;
        rock.rightMs = 600;
        rock.rightAngle = 10;
        rock.leftMs = 600;
        rock.leftAngle = -10;
        rock.sound = f.sound("chime", sounds::chime);
        moon.hotspot.push_back(touch(rock, moonImage, 20));

        std::vector<Sprite> stars;
        const QPointF starPlaces[] = {QPointF(170, 130), QPointF(420, 70), QPointF(560, 210),
                                      QPointF(920, 300)};
        const QColor starColours[] = {QColor(255, 240, 140), QColor(255, 250, 200), QColor(255, 220, 120),
                                      QColor(255, 245, 170)};
        const int blinkMs[] = {1500, 2100, 2700, 1800};
        for (int i = 0; i < 4; ++i) {
            const QColor colour = starColours[i];
            Sprite s = sprite(QString("star%1").arg(i + 1),
                              f.picture(QString("night_star%1").arg(i + 1),
                                        [colour] { return characters::nightStar(colour); }),
                              starPlaces[i]);
            Action blink;
            blink.kind = Blink;
            blink.repeat = -1;
            blink.delayMs = blinkMs[i];
            s.defaults.push_back(blink);
            stars.push_back(s);
        }

        const QImage owlImage = characters::owl();
        Sprite owl = sprite("owl", f.picture("owl", characters::owl), QPointF(120, 252));
        Action sway;
        sway.kind = Swing;
        sway.repeat = 2;
        sway.rightMs = 300;
        sway.rightAngle = 12;
        sway.leftMs = 300;
        sway.leftAngle = -12;
        sway.sound = f.sound("hoot", sounds::hoot);
        owl.hotspot.push_back(touch(sway, owlImage, 6));

        const QImage bunnyImage = characters::bunny();
        Sprite bunny = sprite("bunny", f.picture("bunny", characters::bunny), QPointF(720, 500));
        Action hop;
        hop.kind = Jump;
        hop.oneWay = 0;
        hop.repeat = 1;
        hop.jumps = 2;
        hop.jumpHeight = 80;
        hop.delayMs = 1200;
        hop.dst = QPointF(600, 500);
        hop.sound = f.sound("boing", sounds::boing);
        bunny.hotspot.push_back(touch(hop, bunnyImage, 6));

        page.sprites = {moon};
        page.sprites.insert(page.sprites.end(), stars.begin(), stars.end());
        page.sprites.push_back(owl);
        page.sprites.push_back(bunny);
        book.pages.push_back(page);
    }

    // Page 5: the end.
    {
        Page page;
        page.name = "the end";
        page.picture = f.picture("page5_end", endBackground);
        page.change = 2;
        page.music = f.music("finale", leadInFor(2));
        page.musicType = 2;
        page.buttons = buttons(nav, true, false, true, true);

        const QImage starImage = characters::starFace();
        Sprite star = sprite("star", f.picture("star_face", characters::starFace), QPointF(150, 60));
        Action spin;
        spin.kind = Rotate;
        spin.oneWay = 0;
        spin.repeat = 1;
        spin.deltaAngle = 360;
        spin.delayMs = 700;
        spin.sound = f.sound("chime", sounds::chime);
        star.hotspot.push_back(touch(spin, starImage, 6));

        Sprite balloons =
            sprite("balloons", f.picture("balloon_bunch", characters::balloonBunch), QPointF(820, 130));
        Action drift;
        drift.kind = Curve;
        drift.repeat = -1;
        drift.delayMs = 2800;
        drift.ctl1 = QPointF(20, 30);
        drift.ctl2 = QPointF(-24, 60);
        drift.dst = QPointF(0, 40);
        balloons.defaults.push_back(drift);

        const QString sparklePicture = f.picture("sparkle", characters::sparkle);
        Sprite sparkle1 = sprite("sparkle_left", sparklePicture, QPointF(250, 180));
        Sprite sparkle2 = sprite("sparkle_right", sparklePicture, QPointF(720, 300));
        Action twinkle;
        twinkle.kind = Blink;
        twinkle.repeat = -1;
        twinkle.delayMs = 1100;
        sparkle1.defaults.push_back(twinkle);
        twinkle.delayMs = 1500;
        sparkle2.defaults.push_back(twinkle);

        Sprite bee = sprite("bee", f.picture("bee", characters::bee), QPointF(560, 420));
        Action buzz;
        buzz.kind = Curve;
        buzz.repeat = -1;
        buzz.delayMs = 2600;
        buzz.ctl1 = QPointF(-60, 70);
        buzz.ctl2 = QPointF(-150, -50);
        buzz.dst = QPointF(-220, 20);
        bee.defaults.push_back(buzz);

        const QImage againImage = characters::againButton();
        Sprite again = sprite("again", f.picture("again", characters::againButton), QPointF(387, 626));
        again.hotspot.push_back(touch(pageJump(0, 7), againImage));

        page.sprites = {star, balloons, sparkle1, sparkle2, bee, again};
        book.pages.push_back(page);
    }
    return book;
}

// ---- Colours and Shapes ----

QImage shapesBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(21);
    sunnyMeadow(p, rng, 560);
    art::cloud(p, QPointF(170, 200), 140);
    art::cloud(p, QPointF(860, 220), 150);
    scatterFlowers(p, rng, QRectF(30, 660, 960, 90), 16);
    art::caption(p, QRectF(262, 22, 500, 112), "Shapes!", QString::fromUtf8("形状"), QColor(240, 90, 90));
    return img;
}

QImage coloursBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(22);
    sunnyMeadow(p, rng, 600);
    rainbow(p, QPointF(512, 700), 560, 22, 120);
    scatterFlowers(p, rng, QRectF(30, 690, 960, 60), 12);
    art::caption(p, QRectF(262, 22, 500, 112), "Colours!", QString::fromUtf8("颜色"), QColor(150, 90, 240));
    // Paint pots under the blobs say which colour each one becomes.
    const QColor pots[] = {QColor(240, 60, 60), QColor(255, 214, 40), QColor(60, 140, 250)};
    for (int i = 0; i < 3; ++i) {
        const double x = 185 + i * 327;
        QPainterPath pot;
        pot.addRoundedRect(QRectF(x - 50, 560, 100, 80), 14, 14);
        p.shape(pot, QColor(235, 235, 240), 5);
        QPainterPath paint;
        paint.addRoundedRect(QRectF(x - 50, 560, 100, 30), 12, 12);
        p.shape(paint, pots[i], 4);
    }
    return img;
}

QImage countBackground() {
    QImage img = art::opaqueCanvas(kWidth, kHeight);
    art::Pen p(&img);
    synth::Rng rng(23);
    sunnyMeadow(p, rng, 600);
    art::caption(p, QRectF(262, 22, 500, 112), "Let's count!", QString::fromUtf8("数一数"),
                 QColor(60, 170, 90));
    const QColor digits[] = {QColor(255, 110, 60), QColor(80, 170, 250), QColor(250, 190, 40)};
    for (int i = 0; i < 3; ++i)
        art::stickerText(p, QString::number(i + 1), QPointF(180 + i * 330, 200), 110, digits[i], 9);
    scatterFlowers(p, rng, QRectF(30, 680, 960, 70), 14);
    return img;
}

Book coloursAndShapes(Folder& f) {
    Book book;
    const Buttons nav = navButtons(f);

    {
        Page page;
        page.name = "shapes";
        page.picture = f.picture("shapes_page0", shapesBackground);
        page.change = 4;
        page.music = f.music("shapes");
        page.musicType = 0;
        page.buttons = buttons(nav, false, true, false, true);

        const QImage circleImage = characters::circleBuddy();
        Sprite circle = sprite("circle", f.picture("circle", characters::circleBuddy), QPointF(110, 330));
        Action bounce;
        bounce.kind = Jump;
        bounce.oneWay = 0;
        bounce.repeat = 1;
        bounce.jumps = 2;
        bounce.jumpHeight = 120;
        bounce.delayMs = 1000;
        bounce.dst = QPointF(110, 330);
        bounce.sound = f.sound("boing", sounds::boing);
        circle.hotspot.push_back(touch(bounce, circleImage, 8));

        const QImage squareImage = characters::squareBuddy();
        Sprite square = sprite("square", f.picture("square", characters::squareBuddy), QPointF(422, 340));
        Action turn;
        turn.kind = Rotate;
        turn.oneWay = 0;
        turn.repeat = 1;
        turn.deltaAngle = 360;
        turn.delayMs = 900;
        turn.sound = f.sound("whoosh", sounds::whoosh);
        square.hotspot.push_back(touch(turn, squareImage, 8));

        const QImage triangleImage = characters::triangleBuddy();
        Sprite triangle =
            sprite("triangle", f.picture("triangle", characters::triangleBuddy), QPointF(720, 330));
        Action wobble;
        wobble.kind = Swing;
        wobble.repeat = 2;
        wobble.rightMs = 220;
        wobble.rightAngle = 14;
        wobble.leftMs = 220;
        wobble.leftAngle = -14;
        wobble.sound = f.sound("squeak", sounds::squeak);
        triangle.hotspot.push_back(touch(wobble, triangleImage, 10));

        const QString sparklePicture = f.picture("sparkle", characters::sparkle);
        Sprite sparkle = sprite("sparkle", sparklePicture, QPointF(640, 250));
        Action twinkle;
        twinkle.kind = Blink;
        twinkle.repeat = -1;
        twinkle.delayMs = 1400;
        sparkle.defaults.push_back(twinkle);

        page.sprites = {circle, square, triangle, sparkle};
        book.pages.push_back(page);
    }

    {
        Page page;
        page.name = "colours";
        page.picture = f.picture("shapes_page1", coloursBackground);
        page.change = 3;
        page.music = f.music("shapes");
        page.musicType = 0;
        page.buttons = buttons(nav, true, true, true, true);
        const int tints[3][3] = {{0, -255, -255}, {0, -40, -255}, {-200, -110, 0}};
        const QString pop = f.sound("pop", sounds::pop);
        for (int i = 0; i < 3; ++i) {
            const QImage blobImage = characters::paintBlob(i);
            Sprite blob = sprite(
                QString("blob%1").arg(i + 1),
                f.picture(QString("paint_blob%1").arg(i + 1), [i] { return characters::paintBlob(i); }),
                QPointF(100 + i * 327, 380));
            Action tint;
            tint.kind = Tint;
            tint.oneWay = 0;
            tint.repeat = 1;
            tint.delayMs = 900;
            tint.red = tints[i][0];
            tint.green = tints[i][1];
            tint.blue = tints[i][2];
            tint.sound = pop;
            blob.hotspot.push_back(touch(tint, blobImage, 8));
            page.sprites.push_back(blob);
        }
        Sprite butterfly =
            sprite("butterfly", f.picture("butterfly", characters::butterfly), QPointF(200, 200));
        Action flutter;
        flutter.kind = Curve;
        flutter.repeat = -1;
        flutter.delayMs = 3400;
        flutter.ctl1 = QPointF(120, 60);
        flutter.ctl2 = QPointF(300, -60);
        flutter.dst = QPointF(520, 20);
        butterfly.defaults.push_back(flutter);
        page.sprites.push_back(butterfly);
        book.pages.push_back(page);
    }

    {
        Page page;
        page.name = "count";
        page.picture = f.picture("shapes_page2", countBackground);
        page.change = 6;
        page.music = f.music("finale", leadInFor(1));
        page.musicType = 1;
        page.buttons = buttons(nav, true, false, true, true);

        // One sun.
        const QImage sunImage = characters::sunFace();
        Sprite sun = sprite("sun", f.picture("sun_face", characters::sunFace), QPointF(110, 330));
        Action grow;
        grow.kind = Scale;
        grow.oneWay = 0;
        grow.repeat = 1;
        grow.scaleRate = 1.3;
        grow.delayMs = 350;
        grow.sound = f.sound("chime", sounds::chime);
        sun.hotspot.push_back(touch(grow, sunImage, 6));
        page.sprites.push_back(sun);

        // Two balloons.
        const QColor colours[] = {QColor(255, 90, 90), QColor(110, 190, 255)};
        const QString squeak = f.sound("squeak", sounds::squeak);
        for (int i = 0; i < 2; ++i) {
            const QColor colour = colours[i];
            const QImage image = characters::balloon(colour);
            Sprite b = sprite(QString("balloon%1").arg(i + 1),
                              f.picture(QString("count_balloon%1").arg(i + 1),
                                        [colour] { return characters::balloon(colour); }),
                              QPointF(380 + i * 140, 290));
            Action bob;
            bob.kind = Jump;
            bob.oneWay = 0;
            bob.repeat = 1;
            bob.jumps = 1;
            bob.jumpHeight = 60;
            bob.delayMs = 700;
            bob.dst = QPointF(380 + i * 140, 290);
            bob.sound = squeak;
            Action a = bob;
            a.hotspot = QRectF(8, 0, 114, 160);
            b.hotspot.push_back(a);
            page.sprites.push_back(b);
        }

        // Three stars.
        const QImage starImage = characters::starFace();
        const QString starPicture = f.picture("star_face", characters::starFace);
        const QPointF starPlaces[] = {QPointF(720, 300), QPointF(840, 300), QPointF(780, 410)};
        for (int i = 0; i < 3; ++i) {
            Sprite s = sprite(QString("star%1").arg(i + 1), starPicture, starPlaces[i]);
            s.zoom = 0.8;
            Action twinkle;
            twinkle.kind = Blink;
            twinkle.repeat = 3;
            twinkle.delayMs = 250;
            twinkle.sound = f.sound("chime", sounds::chime);
            twinkle.hotspot = QRectF(13, 13, 104, 104);
            s.hotspot.push_back(twinkle);
            page.sprites.push_back(s);
        }
        book.pages.push_back(page);
    }
    return book;
}

} // namespace

QList<Variant> variants() {
    return {{"meadow", QString::fromUtf8("Happy Meadow 快乐草地"), 6},
            {"shapes", QString::fromUtf8("Colours and Shapes 颜色和形状"), 3}};
}

bool generate(const QString& variant, const QString& dir, QString* error) {
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = dir + ": cannot be created";
        return false;
    }
    Folder folder(dir);
    Book book;
    QString title;
    if (variant == "meadow") {
        book = happyMeadow(folder);
        title = variants().at(0).title;
    } else if (variant == "shapes") {
        book = coloursAndShapes(folder);
        title = variants().at(1).title;
    } else {
        if (error)
            *error = "unknown book \"" + variant + "\" (meadow, shapes)";
        return false;
    }
    if (!folder.ok()) {
        if (error)
            *error = folder.error();
        return false;
    }
    return writeBook(book, dir, title, error);
}

} // namespace books
