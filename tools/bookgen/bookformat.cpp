#include "bookformat.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace bookformat {

namespace {

QString num(double v) {
    if (std::floor(v) == v && std::fabs(v) < 1e9)
        return QString::number(qint64(v));
    return QString::number(v, 'g', 8);
}

QString point(const std::optional<QPointF>& p) {
    return p ? num(p->x()) + "," + num(p->y()) : QString();
}

QString rect(const std::optional<QRectF>& r) {
    return r ? num(r->x()) + "," + num(r->y()) + "," + num(r->width()) + "," + num(r->height()) : QString();
}

QJsonObject actionObject(const Action& a) {
    QJsonObject o;
    o["action_type"] = actionName(a.kind);
    o["action_delay_time"] = num(a.delayMs);
    o["action_repeat_num"] = num(a.repeat);
    o["action_repeat_num_jump"] = num(a.jumps);
    o["jump_height"] = num(a.jumpHeight);
    o["texture_num"] = num(a.textureFrames);
    o["texture_height"] = num(a.textureHeight);
    o["texture_width"] = num(a.textureWidth);
    o["texture_picture_file"] = a.texture;
    o["action_music_file"] = a.sound;
    o["scale_rate"] = num(a.scaleRate);
    o["toright_delay_time"] = num(a.rightMs);
    o["toright_angle"] = num(a.rightAngle);
    o["toleft_delay_time"] = num(a.leftMs);
    o["toleft_angle"] = num(a.leftAngle);
    o["delta_angle"] = num(a.deltaAngle);
    o["color_red"] = num(a.red);
    o["color_blue"] = num(a.blue);
    o["color_green"] = num(a.green);
    o["ctl_pt1"] = point(a.ctl1);
    o["ctl_pt2"] = point(a.ctl2);
    o["dst_point"] = point(a.dst);
    o["hotspot_position"] = rect(a.hotspot);
    o["unidirectionalMovement"] = num(a.oneWay);
    o["animation_movementBefore_delayTime"] = "0";
    o["animation_moving_time"] = "0";
    o["toPageNumber"] = num(a.toPage);
    o["scene_change"] = a.change > 0 ? transitionName(a.change) : QString();
    return o;
}

QJsonArray actionArray(const std::vector<Action>& actions) {
    QJsonArray array;
    for (const Action& a : actions)
        array.append(actionObject(a));
    return array;
}

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()) {
        if (error)
            *error = path + ": " + file.errorString();
        return false;
    }
    return true;
}

} // namespace

QString actionName(int number) {
    return QString("Sprite_CCAction_%1").arg(number);
}

QString transitionName(int number) {
    return QString("Scene_CCAction_%1").arg(number);
}

QByteArray gameJson(const Book& book) {
    QJsonObject o;
    o["scene_type"] = num(book.type);
    o["scene_width"] = num(book.width);
    o["scene_height"] = num(book.height);
    o["scene_number"] = num(double(book.pages.size()));
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray sceneJson(const Page& page) {
    QJsonObject s;
    s["scene_name"] = page.name;
    s["scene_picture_file"] = page.picture;
    s["scene_change"] = transitionName(page.change);
    s["scene_enter_delay_time"] = num(page.enterDelayMs);
    s["scene_auto_changepage_time"] = "0";
    s["scene_music"] = page.music;
    s["scene_music_type"] = num(page.musicType);
    s["scene_music_gap_time"] = "0";
    s["scene_vedio_file"] = "";
    s["scene_vedio_rect"] = "";
    QJsonArray buttons;
    for (const Button& b : page.buttons) {
        QJsonObject o;
        o["button_name"] = b.name;
        o["button_picture_file"] = b.picture;
        o["button_rect"] = rect(b.rect);
        buttons.append(o);
    }
    s["button"] = buttons;
    QJsonArray sprites;
    for (const Sprite& sp : page.sprites) {
        QJsonObject o;
        o["sprite_name"] = sp.name;
        o["sprite_picture_file"] = sp.picture;
        o["sprite_position"] = point(sp.position);
        o["sprite_zoom_rate"] = num(sp.zoom);
        o["sprite_ethreal_rate"] = num(sp.opacity);
        o["sprite_music_file"] = "";
        o["sprite_action_type"] = "";
        o["sprite_action_prev"] = "";
        o["sprite_action_next"] = "";
        o["hotspot_action"] = actionArray(sp.hotspot);
        o["default_action"] = actionArray(sp.defaults);
        sprites.append(o);
    }
    s["sprite"] = sprites;
    QJsonObject top;
    top["scene"] = s;
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

bool writeBook(const Book& book, const QString& dir, const QString& title, QString* error) {
    if (!QDir(dir).mkpath("json")) {
        if (error)
            *error = dir + "/json: cannot be created";
        return false;
    }
    // The client finds the book by this file; its content is not read.
    if (!writeFile(dir + "/tavigame.dat", "Tavi picture book: " + title.toUtf8() + "\n", error))
        return false;
    if (!writeFile(dir + "/json/game_json.txt", gameJson(book), error))
        return false;
    for (std::size_t i = 0; i < book.pages.size(); ++i)
        if (!writeFile(QString("%1/json/scene_json%2.txt").arg(dir).arg(i), sceneJson(book.pages[i]), error))
            return false;
    return true;
}

} // namespace bookformat
