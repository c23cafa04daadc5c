#pragma once
// Which OpenGL the machine offers decides which engine build plays books.

#include <QString>

// Reads "major.minor.release" from the start of a GL_VERSION text; missing
// parts stay 0. False when not even the major number is there.
bool parseGlVersion(const char* text, int& major, int& minor, int& release);

// Creates an off-screen OpenGL context and reads its version.
// 0 = success; 1 = no GUI application, 2 = no context, 3 = no surface or not current, 4 = unreadable version.
int GetOpenGLVersion(int& major, int& minor, int& release);

// The engine build for a probed version: the second build where OpenGL 2 or
// 1.6+ is present, the default otherwise.
bool wantsSecondEngine(int major, int minor);
