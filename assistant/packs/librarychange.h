#pragma once
// One change of the library (files in the data folders and catalogue rows
// together) that a power cut must never leave half done.
//
// begin() opens the catalogue's transaction. The change then plans what it
// does with files: new files moved or copied into place, old ones removed.
// applyFiles() first writes that plan as a journal (temp/journal/<id>.plan,
// synced to disk) and only then touches a file; an old file is moved into the
// change's trash, not deleted. The change adds its rows, and commit() writes
// them together with a mark of the change (LibraryChangeTbl) in one
// transaction; once that is on disk the trash and the journal go.
//
// A start that finds a journal (the client was killed, the power went) calls
// recover(): a change whose mark is in the catalogue is finished, any other
// one undone. The library then holds the old state or the new one, whole.

#include <QList>
#include <QRecursiveMutex>
#include <QSet>
#include <QString>

class DB;
class DataPaths;

class LibraryChange {
public:
    // what: a few words for the log ("import birds.tvp").
    LibraryChange(DB& db, const DataPaths& paths, const QString& what);
    // A change that was not committed is undone.
    ~LibraryChange();
    LibraryChange(const LibraryChange&) = delete;
    LibraryChange& operator=(const LibraryChange&) = delete;

    // Opens the transaction; false (nothing done) when the catalogue refuses.
    // From here to the commit or the undo the change holds the library's
    // lock: one change at a time, and none while the check at start runs.
    bool begin();

    // The lock every change and the check at start hold while they work.
    static QRecursiveMutex& libraryLock();

    // A file or folder that comes in by a rename from outside the library
    // (the unpacked pack in temp). Like every rename of the library it never
    // replaces: a file already at target stays.
    void planMoveIn(const QString& source, const QString& target);
    // A file copied in from elsewhere (a teacher's own file).
    void planCopyIn(const QString& source, const QString& target);
    // A file the change writes (a playlist): moved into place from the
    // change's own folder, where the caller writes it (writePath()).
    QString planWrite(const QString& target);
    // A file or folder of the library the change takes away.
    void planRemove(const QString& path);

    // Writes the journal, then removes, moves and copies as planned (removals
    // first, so a new file may take an old one's place). False when the
    // journal could not be written (nothing touched). A single operation that
    // fails is logged and left out: done() tells.
    bool applyFiles();
    // The planned file or folder arrived at target.
    bool done(const QString& target) const { return m_arrived.contains(target); }

    // Commits the rows with the change's mark and then deletes what was taken
    // away; false, with everything undone, when the commit failed.
    bool commit();
    // Rolls the rows back and undoes the file operations.
    void abandon();

    // Finishes or undoes every change a journal names; what it did goes to the log.
    // Returns how many journals it found.
    static int recover(DB& db, const DataPaths& paths);
    // The journal folder of an installation.
    static QString journalDir(const DataPaths& paths);

private:
    struct Op {
        enum Kind { MoveIn, CopyIn, Write, Remove } kind;
        QString source; // MoveIn, CopyIn, Write (the staged file)
        QString target; // where it goes, or what Remove takes away
        QString trash;  // Remove: where the old file waits for the commit
    };
    bool writeJournal();
    void finish();
    static void undo(const QList<Op>& ops, const DataPaths& paths);
    static void finishOps(const QList<Op>& ops, const DataPaths& paths);

    DB& m_db;
    const DataPaths& m_paths;
    QString m_what;
    QString m_id;
    QString m_journal;
    QString m_stage; // the change's own folder: staged writes and its trash
    QList<Op> m_ops;
    QSet<QString> m_arrived;
    bool m_open = false;
    bool m_applied = false;
    bool m_locked = false;
};
