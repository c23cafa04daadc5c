#include "xvfb.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

namespace testsupport {

Xvfb::Xvfb(int width, int height, int depth) : m_size(width, height) {
    // -displayfd 1: the server chooses a free display and reports its number on stdout.
    m_server.setProgram("Xvfb");
    m_server.setArguments({"-displayfd", "1", "-screen", "0",
                           QString("%1x%2x%3").arg(width).arg(height).arg(depth), "-nolisten", "tcp",
                           "-noreset"});
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_server.start();
    if (!m_server.waitForStarted(10000)) {
        m_error = "Xvfb did not start: " + m_server.errorString();
        return;
    }
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (!out.contains('\n') && timer.elapsed() < 15000) {
        if (m_server.state() != QProcess::Running)
            break;
        m_server.waitForReadyRead(200);
        out += m_server.readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (!ok) {
        m_error =
            "Xvfb reported no display: " + QString::fromLocal8Bit(out + m_server.readAllStandardError());
        m_server.kill();
        m_server.waitForFinished(5000);
        return;
    }
    m_display = QString(":%1").arg(number);
}

Xvfb::Xvfb(Current) : m_display(qEnvironmentVariable("DISPLAY")) {
    if (m_display.isEmpty())
        m_error = "no DISPLAY to draw on";
    const QStringList wh = xdotool({"getdisplaygeometry"}).out.trimmed().split(' ');
    if (wh.size() == 2)
        m_size = QSize(wh[0].toInt(), wh[1].toInt());
}

Xvfb::~Xvfb() {
    for (QProcess* p : m_clients) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
        delete p;
    }
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
}

QStringList Xvfb::env() const {
    return {"DISPLAY=" + m_display, "QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY="};
}

static QProcessEnvironment environmentWith(const QStringList& entries) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : entries) {
        const int eq = kv.indexOf('=');
        const QString key = kv.left(eq);
        const QString value = kv.mid(eq + 1);
        if (value.isEmpty())
            e.remove(key);
        else
            e.insert(key, value);
    }
    return e;
}

QProcess* Xvfb::start(const QString& program, const QStringList& args, const QStringList& extraEnv,
                      const QString& workDir) {
    auto* p = new QProcess;
    p->setProcessEnvironment(environmentWith(env() + extraEnv));
    if (!workDir.isEmpty())
        p->setWorkingDirectory(workDir);
    p->start(program, args);
    p->waitForStarted(10000);
    m_clients << p;
    return p;
}

QImage Xvfb::screenshot() const {
    if (!isRunning())
        return QImage();
    QProcess grab;
    grab.setProcessEnvironment(environmentWith(env()));
    grab.start("import", {"-display", m_display, "-window", "root", "png:-"});
    if (!grab.waitForFinished(30000) || grab.exitCode() != 0)
        return QImage();
    return QImage::fromData(grab.readAllStandardOutput(), "PNG");
}

bool Xvfb::saveScreenshot(const QString& path) const {
    const QImage image = screenshot();
    if (image.isNull())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return image.save(path, "PNG");
}

ProcessResult Xvfb::xdotool(const QStringList& args, int timeoutMs) const {
    return run("xdotool", args, timeoutMs, env());
}

QString Xvfb::waitForWindow(const QString& nameRegex, int timeoutMs) const {
    QElapsedTimer timer;
    timer.start();
    do {
        const ProcessResult r = xdotool({"search", "--onlyvisible", "--name", nameRegex}, 5000);
        const QStringList ids = r.out.split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty())
            return ids.first().trimmed();
        QThread::msleep(200);
    } while (timer.elapsed() < timeoutMs);
    return QString();
}

QString Xvfb::windowName(const QString& windowId) const {
    return xdotool({"getwindowname", windowId}).out.trimmed();
}

QRect Xvfb::windowGeometry(const QString& windowId) const {
    const QString out = xdotool({"getwindowgeometry", "--shell", windowId}).out;
    QHash<QString, int> v;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            v.insert(line.left(eq), line.mid(eq + 1).toInt());
    }
    if (!v.contains("WIDTH"))
        return QRect();
    return QRect(v.value("X"), v.value("Y"), v.value("WIDTH"), v.value("HEIGHT"));
}

bool Xvfb::click(int x, int y, int button) const {
    // Moving first and clicking apart gives Qt an enter and a move event, as a
    // real pointer would. A --sync move to where the pointer already is waits
    // for a motion that never comes, so a second click on the same spot skips it.
    const QString at = xdotool({"getmouselocation", "--shell"}).out;
    const bool there = at.contains(QString("X=%1\n").arg(x)) && at.contains(QString("Y=%1\n").arg(y));
    if (!there && xdotool({"mousemove", "--sync", QString::number(x), QString::number(y)}).exitCode != 0)
        return false;
    QThread::msleep(100);
    return xdotool({"click", QString::number(button)}).exitCode == 0;
}

bool Xvfb::key(const QString& keys) const {
    return xdotool({"key", keys}).exitCode == 0;
}

bool Xvfb::type(const QString& text) const {
    return xdotool({"type", "--delay", "30", text}).exitCode == 0;
}

QString screenshotDir() {
    const QString dir = QString(TAVI_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    return dir;
}

double colourShare(const QImage& image, const QRect& r, const QColor& c, int tolerance) {
    const QRect area = r.intersected(image.rect());
    if (area.isEmpty())
        return 0.0;
    long hits = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (qAbs(p.red() - c.red()) <= tolerance && qAbs(p.green() - c.green()) <= tolerance &&
                qAbs(p.blue() - c.blue()) <= tolerance)
                ++hits;
        }
    return double(hits) / double(area.width() * area.height());
}

int distinctColours(const QImage& image, const QRect& r, int limit) {
    QSet<QRgb> seen;
    const QRect area = r.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom() && seen.size() < limit; ++y)
        for (int x = area.left(); x <= area.right() && seen.size() < limit; ++x)
            seen.insert(image.pixel(x, y) & 0xFFFFFF);
    return seen.size();
}

// Top-left corner where picture shows on screen (its opaque pixels within
// tolerance per channel on average), or (-1, -1).
QPoint findPicture(const QImage& screen, const QImage& picture, int tolerance) {
    const QImage s = screen.convertToFormat(QImage::Format_RGB32);
    const QImage p = picture.convertToFormat(QImage::Format_ARGB32);
    QVector<QPoint> samples;
    for (int y = 0; y < p.height(); y += 2)
        for (int x = 0; x < p.width(); x += 2)
            if (qAlpha(p.pixel(x, y)) == 255)
                samples << QPoint(x, y);
    if (samples.isEmpty())
        return QPoint(-1, -1);
    const qint64 budget = qint64(tolerance) * 3 * samples.size();
    qint64 best = budget + 1;
    QPoint where(-1, -1);
    for (int y = 0; y + p.height() <= s.height(); ++y) {
        for (int x = 0; x + p.width() <= s.width(); ++x) {
            qint64 diff = 0;
            for (const QPoint& q : samples) {
                const QRgb a = reinterpret_cast<const QRgb*>(s.constScanLine(y + q.y()))[x + q.x()];
                const QRgb b = p.pixel(q);
                diff += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
                if (diff >= best)
                    break;
            }
            if (diff < best) {
                best = diff;
                where = QPoint(x, y);
            }
        }
    }
    return where;
}

QImage waitForScreen(const Xvfb& xvfb, const std::function<bool(const QImage&)>& ready, int timeoutMs) {
    QImage shot;
    for (int waited = 0; waited < timeoutMs; waited += 500) {
        shot = xvfb.screenshot();
        if (!shot.isNull() && ready(shot))
            return shot;
        QThread::msleep(500);
    }
    return shot;
}

} // namespace testsupport
