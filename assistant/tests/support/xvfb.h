#pragma once
// A private X server for real-window tests: Xvfb on a display it picks itself
// (-displayfd), screenshots of its screen, and xdotool to find windows and to
// click and type as a person would.

#include "testsupport.h"

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

namespace testsupport {

class Xvfb {
public:
    explicit Xvfb(int width = 1920, int height = 1080, int depth = 24);
    // The X server this process already draws on (DISPLAY), not owned: for
    // suites whose own widgets are clicked with a real pointer.
    struct Current {};
    explicit Xvfb(Current);
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // False when Xvfb could not be started (the reason is in error()).
    bool isRunning() const { return !m_display.isEmpty(); }
    QString error() const { return m_error; }
    QString display() const { return m_display; }
    QSize screenSize() const { return m_size; }

    // Environment entries ("K=V") that put a Qt program on this server.
    QStringList env() const;

    // Starts a program on this server (killed when the Xvfb goes, if still running).
    QProcess* start(const QString& program, const QStringList& args, const QStringList& extraEnv = {},
                    const QString& workDir = QString());

    // The whole screen as it is now; a null image when grabbing failed.
    QImage screenshot() const;
    // Saves the screen as PNG; false when grabbing or writing failed.
    bool saveScreenshot(const QString& path) const;

    // Runs xdotool against this server.
    ProcessResult xdotool(const QStringList& args, int timeoutMs = 10000) const;
    // Id of the first visible window whose name matches the regular expression, or
    // an empty string after timeoutMs.
    QString waitForWindow(const QString& nameRegex, int timeoutMs = 20000) const;
    QString windowName(const QString& windowId) const;
    // Geometry of a window in screen coordinates (null rect when unknown).
    QRect windowGeometry(const QString& windowId) const;
    // Moves the pointer to (x, y) on the screen and clicks a button (1 = left).
    bool click(int x, int y, int button = 1) const;
    // Sends key strokes in xdotool's names ("Escape", "alt+F4", "Return").
    bool key(const QString& keys) const;
    // Types text into the focused window.
    bool type(const QString& text) const;

private:
    QProcess m_server;
    QString m_display;
    QString m_error;
    QSize m_size;
    QList<QProcess*> m_clients;
};

// Where screenshots of the suites go: <build>/screenshots (created).
QString screenshotDir();

// Share of the pixels inside r whose colour lies within tolerance of c (0..1).
double colourShare(const QImage& image, const QRect& r, const QColor& c, int tolerance = 24);
// Number of distinct colours inside r, counted up to limit; a blank area has 1.
int distinctColours(const QImage& image, const QRect& r, int limit = 64);

// Top-left corner where picture shows on screen (its opaque pixels within
// tolerance per channel on average), or (-1, -1).
QPoint findPicture(const QImage& screen, const QImage& picture, int tolerance = 12);

// Screenshots until ready() holds for one (returned) or timeoutMs passes (the last one).
QImage waitForScreen(const Xvfb& xvfb, const std::function<bool(const QImage&)>& ready,
                     int timeoutMs = 20000);

} // namespace testsupport
