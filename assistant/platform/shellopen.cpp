// GIO's headers come first: Qt's "signals" keyword would clash with them.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "shellopen.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cerrno>
#include <sys/wait.h>

namespace {

template <typename T> struct GObjectRef {
    T* p = nullptr;
    ~GObjectRef() {
        if (p)
            g_object_unref(p);
    }
};

void rememberPid(GDesktopAppInfo*, GPid pid, gpointer data) {
    *static_cast<GPid*>(data) = pid;
}

QString fromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

namespace {

// The file's type (from its name and, where the name says nothing, from its
// content) and the desktop's default application for it; null with the
// reason in r when there is none.
GAppInfo* defaultAppInfo(const QString& file, GFile* gfile, ShellLaunch& r) {
    GError* error = nullptr;
    GObjectRef<GFileInfo> info{g_file_query_info(gfile, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, &error)};
    if (!info.p) {
        r.reason = QString("can not read %1: %2").arg(file, fromUtf8(error ? error->message : nullptr));
        g_clear_error(&error);
        return nullptr;
    }
    r.contentType = fromUtf8(g_file_info_get_content_type(info.p));
    GAppInfo* app = g_app_info_get_default_for_type(r.contentType.toUtf8().constData(), FALSE);
    if (!app)
        r.reason = QString("no application for %1 (%2)").arg(r.contentType, file);
    return app;
}

} // namespace

QString defaultApplicationFor(const QString& file, QString* reason) {
    const QByteArray path = QFileInfo(file).absoluteFilePath().toUtf8();
    GObjectRef<GFile> gfile{g_file_new_for_path(path.constData())};
    ShellLaunch r;
    GObjectRef<GAppInfo> app{defaultAppInfo(file, gfile.p, r)};
    if (!app.p) {
        if (reason)
            *reason = r.reason;
        return QString();
    }
    return fromUtf8(g_app_info_get_id(app.p));
}

ShellLaunch openWithDefaultAndWait(const QString& file, void (*started)(long long, void*), void* data) {
    ShellLaunch r;
    const QByteArray path = QFileInfo(file).absoluteFilePath().toUtf8();
    GObjectRef<GFile> gfile{g_file_new_for_path(path.constData())};
    GObjectRef<GAppInfo> app{defaultAppInfo(file, gfile.p, r)};
    if (!app.p)
        return r;
    GError* error = nullptr;
    r.application = fromUtf8(g_app_info_get_id(app.p));
    if (!G_IS_DESKTOP_APP_INFO(app.p)) {
        r.reason = QString("the application for %1 is no desktop entry").arg(r.contentType);
        return r;
    }

    char* uri = g_file_get_uri(gfile.p);
    GList* uris = g_list_append(nullptr, uri);
    GPid pid = 0;
    // Not reaped by GLib: the child is ours to wait for.
    const gboolean ok = g_desktop_app_info_launch_uris_as_manager(
        G_DESKTOP_APP_INFO(app.p), uris, nullptr,
        GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr, rememberPid, &pid,
        &error);
    g_list_free(uris);
    g_free(uri);
    if (!ok) {
        r.reason =
            QString("%1 did not start: %2").arg(r.application, fromUtf8(error ? error->message : nullptr));
        g_clear_error(&error);
        return r;
    }
    if (pid <= 0) {
        // Started through D-Bus activation: a running instance has the file.
        r.outcome = ShellLaunch::NoProcess;
        return r;
    }
    r.pid = pid;
    if (started)
        started(pid, data);
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    pid_t done = -1;
    do {
        done = waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    g_spawn_close_pid(pid);
    r.waitedMs = timer.elapsed();
    r.outcome = ShellLaunch::Waited;
    r.exitStatus = done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
