#pragma once
// Which engine executable plays books, relative to the application directory.

#include <QString>

QString& enginePath();
// The two builds the start-up probe chooses between.
extern const char* const kDefaultEnginePath;
extern const char* const kSecondEnginePath;
