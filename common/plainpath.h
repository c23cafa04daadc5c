#pragma once
// The rule for a path that comes from outside (a pack's database, a pack
// manifest, the catalogue) and is to be put below a folder: it must stay
// inside that folder by its words alone.

#include <QString>

// Not empty or blank, not absolute (no leading slash, backslash or drive
// letter), and no "." or ".." part with either separator.
bool isPlainRelativePath(const QString& relative);
