#include "e2esupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>

namespace testsupport {

// One row of the installed catalogue, read with the sqlite3 program.
QString catalogueValue(const QString& db, const QString& sql) {
    return run("sqlite3", {db, sql}).out.trimmed();
}

// Where a button of a book page lies on a screen of the given size: design
// units from the top left, scaled uniformly and centred (show-all).
QPoint buttonCentre(const QString& bookDir, int page, const QString& name, const QSize& screen) {
    const QJsonObject game =
        QJsonDocument::fromJson(readFile(bookDir + "/json/game_json.txt").toUtf8()).object();
    const double w = game["scene_width"].toString().toDouble(),
                 h = game["scene_height"].toString().toDouble();
    const QJsonObject scene =
        QJsonDocument::fromJson(readFile(bookDir + QString("/json/scene_json%1.txt").arg(page)).toUtf8())
            .object()["scene"]
            .toObject();
    for (const QJsonValue& b : scene["button"].toArray()) {
        if (b.toObject()["button_name"].toString() != name)
            continue;
        const QStringList r = b.toObject()["button_rect"].toString().split(',');
        const double scale = std::min(screen.width() / w, screen.height() / h);
        const double left = (screen.width() - w * scale) / 2, top = (screen.height() - h * scale) / 2;
        const double cx = r[0].toDouble() + r[2].toDouble() / 2, cy = r[1].toDouble() + r[3].toDouble() / 2;
        return QPoint(int(left + cx * scale), int(top + cy * scale));
    }
    return QPoint(-1, -1);
}

// Share of sample points where the screen shows the page's background picture
// (scaled the show-all way); sprites and animation cover only a part of it.
double backgroundMatch(const QImage& screen, const QImage& background) {
    const double scale =
        std::min(screen.width() / double(background.width()), screen.height() / double(background.height()));
    const double left = (screen.width() - background.width() * scale) / 2;
    const double top = (screen.height() - background.height() * scale) / 2;
    int hits = 0, samples = 0;
    for (int y = 20; y < background.height(); y += 37) {
        for (int x = 20; x < background.width(); x += 41) {
            const QColor want(background.pixel(x, y));
            const QColor got(screen.pixel(int(left + x * scale), int(top + y * scale)));
            ++samples;
            if (qAbs(want.red() - got.red()) + qAbs(want.green() - got.green()) +
                    qAbs(want.blue() - got.blue()) <
                60)
                ++hits;
        }
    }
    return samples ? double(hits) / samples : 0.0;
}

QString engineLog(const TempRoot& root) {
    return readFile(root.appDir() + "/engine/taviengine.log") +
           readFile(root.appDir() + "/engine2/taviengine.log");
}

// Clicks the centre of a picture once it shows on screen.
bool clickPicture(const Xvfb& xvfb, const QImage& picture, const char* what, const QString& shotName) {
    QPoint at(-1, -1);
    const QImage shot = waitForScreen(xvfb, [&](const QImage& s) {
        at = findPicture(s, picture);
        return at.x() >= 0;
    });
    shot.save(screenshotDir() + "/" + shotName);
    if (at.x() < 0) {
        ADD_FAILURE() << what << " not found on screen (" << qPrintable(shotName) << ")";
        return false;
    }
    return xvfb.click(at.x() + picture.width() / 2, at.y() + picture.height() / 2);
}

// The folder an installed book resource was unpacked into, and the folder
// below it that holds the book.
QString unpackedFolder(const TempRoot& root, const QString& path) {
    return QFileInfo(root.dataDir() + "/apps/" + path).absolutePath() + "/" + QFileInfo(path).baseName();
}
QString bookFolder(const QString& unpacked) {
    if (QFileInfo::exists(unpacked + "/tavigame.dat"))
        return unpacked;
    for (const QString& sub : QDir(unpacked).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFileInfo::exists(unpacked + "/" + sub + "/tavigame.dat"))
            return unpacked + "/" + sub;
    return QString();
}

} // namespace testsupport
