#pragma once
// Opening a file with the desktop's default application for its type and
// waiting for that application to end (freedesktop.org associations, read
// through GIO: mimeapps.list and the installed desktop entries).

#include <QString>

struct ShellLaunch {
    enum Outcome {
        Waited,    // the application was started and has ended
        NoProcess, // started, but there is no process of ours to wait for (a running instance took the file)
        Failed,    // no application for the type, or it could not be started
    };
    Outcome outcome = Failed;
    QString reason;      // why it failed, in words
    QString contentType; // the file's type as the desktop sees it
    QString application; // the desktop entry that was started
    long long pid = 0;   // the application's process while it runs (0 when none)
    int exitStatus = -1; // its exit status (Waited only)
    long long waitedMs = 0;
};

// Starts the default application with the file and, when it runs as a process
// of ours, waits until it ends. `started` (optional) is called with the pid as
// soon as the process exists, before the wait.
// The desktop entry that opens `file` by default (empty when none does, with
// `reason` saying why): what a start would use, without starting anything.
QString defaultApplicationFor(const QString& file, QString* reason = nullptr);

ShellLaunch openWithDefaultAndWait(const QString& file, void (*started)(long long pid, void* data) = nullptr,
                                   void* data = nullptr);
