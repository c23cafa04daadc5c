#include "glprobe.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QtGlobal>
#include <cstdio>

bool parseGlVersion(const char* text, int& major, int& minor, int& release) {
    major = minor = release = 0;
    if (!text)
        return false;
    return std::sscanf(text, "%d.%d.%d", &major, &minor, &release) >= 1;
}

int GetOpenGLVersion(int& major, int& minor, int& release) {
    major = minor = release = 0;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 1;
    QOpenGLContext context;
    if (!context.create())
        return 2;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return 3;
    const char* version = reinterpret_cast<const char*>(context.functions()->glGetString(GL_VERSION));
    qDebug("%s", version ? version : "(null)");
    const bool ok = parseGlVersion(version, major, minor, release);
    context.doneCurrent();
    return ok ? 0 : 4;
}

bool wantsSecondEngine(int major, int minor) {
    return major > 1 || minor >= 6;
}
