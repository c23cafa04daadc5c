#pragma once
// The launch both media launchers share: the desktop's default application
// for the file, waited for, with the launchers' log lines.

#include <QString>

// LaunchPlayerFailed: the player started but ended at once with a failure
// status (no sound device, a file it can not read).
enum LaunchResult { LaunchWaited, LaunchNoProcess, LaunchFailed, LaunchPlayerFailed };

// Opens `file` and waits for the player; a player that ends within
// kHandOverMs with status 0 handed the file to a running instance and counts
// as no process, with another status it failed. `reason` (optional) says why
// when the launch or the player failed.
LaunchResult shellLaunch(const QString& file, QString* reason = nullptr);

// Tests learn when a player was started (its pid), before the wait.
void setPlayerStartedHook(void (*hook)(long long pid));
