#pragma once
// Dialogs the lists open without a parent (an app list, the store, a custom
// pack) still belong to the main window: the window manager must keep them
// above it, or the blocked main window looks dead with the dialog behind it.

class QDialog;
class QWidget;

// Makes `dialog` transient for the window `owner` lies in (the active window
// when owner is null), runs it modally, and raises and activates it once it
// shows. Returns exec()'s result.
int execAbove(QDialog& dialog, QWidget* owner);

// Marks `dialog` as belonging to the window `owner` lies in, without showing it.
void keepAbove(QDialog& dialog, QWidget* owner);

// Brings the window the user works in to the front again: the modal dialog
// on screen, else `fallback`'s window (after a book or a player ended).
void raiseWorkingWindow(QWidget* fallback);
