#pragma once
// The check of the library at start, like a library manager's "check
// library": it mends what a power cut, a killed client or an older client
// left behind, and says in the log what it mended.
//
// - changes cut off half-way are finished or undone (LibraryChange::recover);
// - what a cut-off import unpacked into temp goes, and the players' links of
//   the last run;
// - a song or video an older client left under its display name gets its
//   stored name back;
// - a file in apps/, appicons/, packicons/, custompack/ or external/ that no
//   catalogue row names is moved aside into temp/orphans/ (kept 30 days);
// - more than one local user row (an older client's) becomes one;
// - rows whose files are missing are counted in the log (nothing a teacher
//   marked is deleted for it).
//
// It holds the library's lock while it works, so no change runs meanwhile.
// The client tidies before anything reads or changes the library (quick: the
// journals, temp, the user rows) and scans on a thread of its own while the
// window shows (the file walk, seconds on a large library).

#include <QString>
#include <QStringList>

class DB;
class DataPaths;

namespace librarycheck {

struct Report {
    int journals = 0;
    int renamedBack = 0;
    QStringList orphans;      // relative to the data folder
    QStringList missingFiles; // resources whose file is not there (names)
    int userRowsMerged = 0;
};

// Cut-off changes, what cut-off imports and the players left in temp, the user rows.
Report tidy(DB& db, const DataPaths& paths);
// Leftovers under display names, orphans, missing files; adds to report.
void scan(DB& db, const DataPaths& paths, Report& report);
// Both.
Report run(DB& db, const DataPaths& paths);
// Asks a check that runs to stop soon (the client is ending); what it has not
// done the next start does.
void requestStop();

} // namespace librarycheck
