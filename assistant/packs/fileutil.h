#pragma once
// File helpers shared by set-up, import and upgrade.

#include <QString>

// Copies the folder `source` with everything below it into `destination`
// (created if missing). Existing files are never overwritten. False when the
// source is not a folder or the destination cannot be made.
bool copyDir(const QString& source, const QString& destination);

// A name the user typed that can become one folder of its own: not empty, no
// "/" or "\\", not starting with "." (hidden, "." and ".."), no control
// characters, at most 255 bytes in UTF-8.
bool isUsableFolderName(const QString& name);
