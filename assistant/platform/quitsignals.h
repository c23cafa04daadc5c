#pragma once
// A session log-out or `kill` sends SIGTERM (SIGINT from a terminal): end the
// event loop normally so the catalogue is closed and the exit is logged.

class QObject;

// Installs the handlers; `onQuit` runs on the GUI thread once a signal arrived.
void quitOnTerminationSignals(QObject* context, void (*onQuit)());
