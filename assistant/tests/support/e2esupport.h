#pragma once
// What the end-to-end suites share: an installed client's catalogue read with
// sqlite3, the pictures and buttons of a book on screen, the engine's log, and
// clicking a picture once it shows.

#include "support/testsupport.h"
#include "support/xvfb.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

namespace testsupport {

// One value of the installed catalogue, read with the sqlite3 program.
QString catalogueValue(const QString& db, const QString& sql);

// Where a button of a book page lies on a screen of the given size: design
// units from the top left, scaled uniformly and centred (show-all).
QPoint buttonCentre(const QString& bookDir, int page, const QString& name, const QSize& screen);

// Share of sample points where the screen shows the page's background picture
// (scaled the show-all way); sprites and animation cover only a part of it.
double backgroundMatch(const QImage& screen, const QImage& background);

// Both engines' logs of an installation.
QString engineLog(const TempRoot& root);

// Clicks the centre of a picture once it shows on screen; saves the screen as shotName.
bool clickPicture(const Xvfb& xvfb, const QImage& picture, const char* what, const QString& shotName);

// The folder an installed book resource was unpacked into, and the folder
// below it that holds the book.
QString unpackedFolder(const TempRoot& root, const QString& path);
QString bookFolder(const QString& unpacked);

} // namespace testsupport
