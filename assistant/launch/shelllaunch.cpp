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
        if (r.exitStatus != 0) {
            TLOG_ERROR("the player " << r.application << " could not play " << file
                                     << ": it ended at once with status " << r.exitStatus);
            if (reason)
                *reason = QString("%1 ended at once with status %2").arg(r.application).arg(r.exitStatus);
            return LaunchPlayerFailed;
        }
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
