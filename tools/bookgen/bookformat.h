#pragma once
// A book as the engine reads it, and its writer. Every scalar is written as a JSON
// string and every key is written, used or not, because the engine's reader
// insists on both.

#include <QByteArray>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

namespace bookformat {

// Action numbers 1 ... 10 and transition numbers 1 ... 7 as the engine names them.
QString actionName(int number);
QString transitionName(int number);

enum ActionKind {
    Move = 1,
    Scale = 2,
    Swing = 3,
    Rotate = 4,
    Jump = 5,
    Tint = 6,
    Curve = 7,
    FrameAnimation = 8,
    Blink = 9,
    PageJump = 10,
};

struct Action {
    int kind = Move;
    int delayMs = 1000; // one run of the action (per frame for a frame animation)
    int repeat = 1;     // -1: without end
    int oneWay = 0;     // unidirectionalMovement: 1 one way, 0 there and back
    int jumps = 1;      // action_repeat_num_jump
    double jumpHeight = 0;
    int textureFrames = 0;
    double textureWidth = 0;
    double textureHeight = 0;
    QString texture;
    QString sound; // action_music_file
    double scaleRate = 1;
    int rightMs = 0;
    double rightAngle = 0;
    int leftMs = 0;
    double leftAngle = 0;
    double deltaAngle = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    std::optional<QPointF> ctl1;
    std::optional<QPointF> ctl2;
    std::optional<QPointF> dst;    // top-left corner where the sprite ends
    std::optional<QRectF> hotspot; // relative to the sprite's position
    int toPage = 0;
    int change = 0; // transition of a page jump, 1 ... 7 (0 writes "")
};

struct Sprite {
    QString name;
    QString picture;
    QPointF position; // top-left corner, design units
    double zoom = 1;
    int opacity = 255;
    std::vector<Action> hotspot;
    std::vector<Action> defaults;
};

struct Button {
    QString name; // button_left, button_right, button_exit, button_home
    QString picture;
    QRectF rect;
};

struct Page {
    QString name;
    QString picture;
    int change = 1;          // transition when the page buttons leave the page
    int enterDelayMs = 1000; // its duration
    QString music;
    int musicType = 0; // 0 loops; N > 0 plays once and replays N x 10 times every 0.1 s
    std::vector<Button> buttons;
    std::vector<Sprite> sprites;
};

struct Book {
    int type = 1;
    double width = 1024;
    double height = 768;
    std::vector<Page> pages;
};

QByteArray gameJson(const Book& book);
QByteArray sceneJson(const Page& page);

// Writes tavigame.dat, json/game_json.txt and json/scene_json<n>.txt into dir
// (which must exist). Pictures and sounds are the caller's. False with a reason
// when a file cannot be written.
bool writeBook(const Book& book, const QString& dir, const QString& title, QString* error);

} // namespace bookformat
