#pragma once
// Unpacking archives (packs and books) with the external 7-Zip program.

#include <QString>
#include <QStringList>

#include <functional>

// Told the tool's progress (0-100) while it unpacks; answers false to stop it.
using ExtractProgress = std::function<bool(int percent)>;

// What an extraction did, for callers that report more than yes or no.
struct ExtractReport {
    bool refused = false;    // the destination existed and overwriting was not allowed
    bool toolFailed = false; // the tool could not be started, crashed, or reported an error
    bool cancelled = false;  // stopped on request; nothing of the archive was left
    int exitCode = -1;
    QString errorOutput;
    // Symbolic links in the archive: never unpacked, so nothing can be written through them.
    QStringList skippedLinks;
};

// Unpacks `archivePath` into `destDir`. An existing destination is deleted first
// when `overwrite` is set, else nothing happens and the result is false. Waits
// until the tool has ended, however long a big archive takes. False also when
// the tool is missing, crashes or fails (not an archive, a broken one); the
// tool's exit status and error output are logged then.
bool extract(const QString& archivePath, const QString& destDir, bool overwrite,
             ExtractReport* report = nullptr, const ExtractProgress& progress = ExtractProgress());

// The folder a book archive is unpacked into when it is opened: beside the
// archive, named after the file name up to its first dot ("story.tvp" gives
// "story", "a.b.tvp" gives "a").
QString unpackFolderBeside(const QString& archivePath);

// The 7-Zip program used: the one set by setExtractTool, else "7za" beside the
// client's executable, else "7za" on the PATH.
QString extractTool();
// Chooses the program (tests point it at a missing or failing one); empty restores the default.
void setExtractTool(const QString& program);
