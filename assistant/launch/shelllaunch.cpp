#include "shelllaunch.h"

#include "mediaplayer.h"

#include "platform/log.h"
#include "platform/shellopen.h"

#include <QAtomicPointer>

namespace {
QAtomicPointer<void(long long)> g_startedHook;

void started(long long pid, void*) {
    if (auto hook = g_startedHook.loadAcquire())
        hook(pid);
}
} // namespace

void setPlayerStartedHook(void (*hook)(long long pid)) {
    g_startedHook.storeRelease(hook);
}

LaunchResult shellLaunch(const QString& file, QString* reason) {
    const ShellLaunch r = openWithDefaultAndWait(file, started);
    switch (r.outcome) {
    case ShellLaunch::Waited:
        if (r.waitedMs >= kHandOverMs)
            return LaunchWaited;
        TLOG_DEBUG("player " << r.application << " ended after " << r.waitedMs << " ms, exit status "
                             << r.exitStatus);
        [[fallthrough]];
    case ShellLaunch::NoProcess:
        TLOG_ERROR("hProcess is NULL");
        return LaunchNoProcess;
    case ShellLaunch::Failed:
        break;
    }
    TLOG_ERROR("ShellExecuteExW failed, LastError:" << r.reason << " sei.hInstApp " << r.contentType);
    if (reason)
        *reason = r.reason;
    return LaunchFailed;
}
