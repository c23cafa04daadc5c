// Termination signals as close requests. SIGTERM and SIGINT ask the program's loop to end, as the
// window's close button does; the director's loop notices at its next turn. Should the loop be stuck
// (a frame that never finishes), the process ends a second after the signal regardless, so a close
// request is never ignored.
#pragma once

namespace stage {

// How long the loop has to end after a signal before the process is ended without it.
constexpr unsigned kCloseGraceSeconds = 1;

// Installs the handlers for SIGTERM and SIGINT. Install before the window library starts, which then
// leaves these signals to us.
void installCloseRequestSignals();
// True once a signal asked for the end.
bool closeRequested();
// The loop has ended: the grace period is over, nothing is ended by force any more.
void closeRequestHandled();

} // namespace stage
