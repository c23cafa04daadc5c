#pragma once
// The launch both media launchers share: the desktop's default application
// for the file, waited for, with the launchers' log lines.

#include <QString>

enum LaunchResult { LaunchWaited, LaunchNoProcess, LaunchFailed };

// Opens `file` and waits for the player; a player that ends within
// kHandOverMs handed the file to a running instance and counts as no process.
// `reason` (optional) says why when the launch failed.
LaunchResult shellLaunch(const QString& file, QString* reason = nullptr);

// Tests learn when a player was started (its pid), before the wait.
void setPlayerStartedHook(void (*hook)(long long pid));
