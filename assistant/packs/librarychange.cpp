#include "librarychange.h"
#include "sharedinstall.h"

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "platform/faultpoint.h"
#include "platform/log.h"
#include "safepath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QUuid>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Journal lines: "in|copy|write|out", then its paths, tab-separated; the
// last line "end" says the plan is whole (a plan cut short touched nothing).
const char* kindWord(int kind) {
    static const char* const words[] = {"in", "copy", "write", "out"};
    return words[kind];
}

bool removeAny(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return !info.exists() && !info.isSymLink() ? true : QFile::remove(path);
}

bool exists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Folders a change emptied go too, up to the data folder that holds them: a
// scene's folder without its playlist would be taken for a new scene.
void pruneEmptyParents(const QString& path, const DataPaths& paths) {
    const QSet<QString> stops{QDir::cleanPath(paths.dataDir),       QDir::cleanPath(paths.appsDir),
                              QDir::cleanPath(paths.appIconDir),    QDir::cleanPath(paths.packIconDir),
                              QDir::cleanPath(paths.customPackDir), QDir::cleanPath(paths.externalDir),
                              QDir::cleanPath(paths.dailyDir),      QDir::cleanPath(paths.tempDir)};
    QString dir = QFileInfo(QDir::cleanPath(path)).absolutePath();
    while (!stops.contains(dir) && paths.isInsideDataFolders(dir) && QDir().rmdir(dir))
        dir = QFileInfo(dir).absolutePath();
}

// Syncs a folder, so that the renames in it are on disk.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString LibraryChange::journalDir(const DataPaths& paths) {
    return paths.tempDir + "/journal";
}

LibraryChange::LibraryChange(DB& db, const DataPaths& paths, const QString& what)
    : m_db(db), m_paths(paths), m_what(what), m_id(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    m_journal = journalDir(paths) + "/" + m_id + ".plan";
    m_stage = journalDir(paths) + "/" + m_id;
}

LibraryChange::~LibraryChange() {
    if (m_open)
        abandon();
    if (m_locked)
        libraryLock().unlock();
}

QRecursiveMutex& LibraryChange::libraryLock() {
    static QRecursiveMutex lock;
    return lock;
}

bool LibraryChange::begin() {
    if (!m_locked) {
        libraryLock().lock();
        m_locked = true;
    }
    if (!m_db.beginBatch()) {
        TLOG_ERROR("library change not begun (" << m_what << "): the catalogue refused its transaction");
        return false;
    }
    m_open = true;
    faultpoint::step("change begun");
    return true;
}

void LibraryChange::planMoveIn(const QString& source, const QString& target) {
    m_ops.append({Op::MoveIn, source, target, QString()});
}

void LibraryChange::planCopyIn(const QString& source, const QString& target) {
    m_ops.append({Op::CopyIn, source, target, QString()});
}

QString LibraryChange::planWrite(const QString& target) {
    const QString staged = QString("%1/write-%2").arg(m_stage).arg(m_ops.size());
    m_ops.append({Op::Write, staged, target, QString()});
    QDir().mkpath(m_stage);
    return staged;
}

void LibraryChange::planRemove(const QString& path) {
    const QString trash = QString("%1/trash-%2").arg(m_stage).arg(m_ops.size());
    m_ops.append({Op::Remove, QString(), path, trash});
}

bool LibraryChange::writeJournal() {
    QDir().mkpath(journalDir(m_paths));
    const QString part = m_journal + ".part";
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        TLOG_ERROR("library journal not written: " << part << " " << file.errorString());
        return false;
    }
    {
        QTextStream out(&file);
        out.setCodec("UTF-8");
        out << "change\t" << m_id << "\t" << m_what << "\n";
        for (const Op& op : m_ops)
            out << kindWord(op.kind) << "\t" << op.source << "\t" << op.target << "\t" << op.trash << "\n";
        out << "end\n";
    }
    const bool written = file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    if (!written || !QFile::rename(part, m_journal)) {
        TLOG_ERROR("library journal not written: " << m_journal);
        QFile::remove(part);
        return false;
    }
    syncFolder(journalDir(m_paths));
    return true;
}

bool LibraryChange::applyFiles() {
    if (!m_open || m_applied)
        return false;
    // Removals first: a file coming in may take the place of one going.
    std::stable_sort(m_ops.begin(), m_ops.end(),
                     [](const Op& a, const Op& b) { return a.kind == Op::Remove && b.kind != Op::Remove; });
    if (!m_ops.isEmpty() && !writeJournal())
        return false;
    m_applied = true;
    faultpoint::step("journal written");
    for (const Op& op : m_ops) {
        switch (op.kind) {
        case Op::Remove:
            if (!exists(op.target))
                break;
            QDir().mkpath(m_stage);
            if (!QFile::rename(op.target, op.trash) && !QDir().rename(op.target, op.trash))
                TLOG_ERROR("not taken away (" << m_what << "): " << op.target);
            break;
        case Op::MoveIn:
        case Op::Write:
            QDir().mkpath(QFileInfo(op.target).absolutePath());
            if (renameNoReplace(op.source, op.target))
                m_arrived.insert(op.target);
            else if (op.kind == Op::Write || exists(op.source))
                TLOG_DEBUG("kept what was there (" << m_what << "): " << op.target);
            break;
        case Op::CopyIn: {
            QDir().mkpath(QFileInfo(op.target).absolutePath());
            // Copied beside and renamed: the file is whole or not there.
            const QString part = op.target + ".part";
            QFile::remove(part);
            // (A copy keeps the source's modes: in a shared installation it
            // is given to the group like everything else made here.)
            if (QFile::copy(op.source, part) &&
                sharedinstall::shareTree(QFile::encodeName(part).toStdString()) &&
                renameNoReplace(part, op.target))
                m_arrived.insert(op.target);
            else
                TLOG_ERROR("copy failed (" << m_what << "): " << op.source << " to " << op.target);
            QFile::remove(part);
            break;
        }
        }
        faultpoint::step("file moved");
    }
    return true;
}

bool LibraryChange::commit() {
    if (!m_open)
        return false;
    if (!m_applied && !applyFiles()) {
        abandon();
        return false;
    }
    if (!m_db.markChange(m_id, m_what)) {
        abandon();
        return false;
    }
    faultpoint::step("rows written");
    if (!m_db.endBatch()) {
        m_open = false;
        TLOG_ERROR("library change rolled back (" << m_what << "): the commit failed");
        undo(m_ops, m_paths);
        QFile::remove(m_journal);
        QDir(m_stage).removeRecursively();
        QDir().rmdir(journalDir(m_paths));
        return false;
    }
    m_open = false;
    faultpoint::step("committed");
    finish();
    return true;
}

void LibraryChange::abandon() {
    if (!m_open)
        return;
    m_open = false;
    m_db.cancelBatch();
    if (m_applied) {
        TLOG_ERROR("library change undone (" << m_what << ")");
        undo(m_ops, m_paths);
    }
    QFile::remove(m_journal);
    QDir(m_stage).removeRecursively();
    QDir().rmdir(journalDir(m_paths));
}

void LibraryChange::finish() {
    finishOps(m_ops, m_paths);
    faultpoint::step("trash emptied");
    // The journal before the mark: a mark without a journal is harmless, a
    // journal without its mark would be undone.
    QFile::remove(m_journal);
    QDir(m_stage).removeRecursively();
    // temp holds nothing of a finished change.
    QDir().rmdir(journalDir(m_paths));
    faultpoint::step("journal removed");
    m_db.unmarkChange(m_id);
}

void LibraryChange::finishOps(const QList<Op>& ops, const DataPaths& paths) {
    for (const Op& op : ops) {
        if (op.kind != Op::Remove)
            continue;
        if (exists(op.trash) && !removeAny(op.trash))
            TLOG_ERROR("could not delete " << op.trash);
        pruneEmptyParents(op.target, paths);
    }
}

void LibraryChange::undo(const QList<Op>& ops, const DataPaths& paths) {
    // New files out first: a taken-away file may go back to the same place.
    for (const Op& op : ops) {
        switch (op.kind) {
        case Op::MoveIn:
        case Op::Write:
            // Moved when its source is gone and the target is there.
            if (!exists(op.source) && exists(op.target))
                removeAny(op.target);
            pruneEmptyParents(op.target, paths);
            break;
        case Op::CopyIn:
            // The copy is the change's own: the teacher's file stays where it was.
            if (exists(op.target) && exists(op.source))
                removeAny(op.target);
            QFile::remove(op.target + ".part");
            pruneEmptyParents(op.target, paths);
            break;
        case Op::Remove:
            break;
        }
    }
    for (const Op& op : ops) {
        if (op.kind != Op::Remove || !exists(op.trash))
            continue;
        if (exists(op.target))
            removeAny(op.target);
        QDir().mkpath(QFileInfo(op.target).absolutePath());
        if (!QFile::rename(op.trash, op.target) && !QDir().rename(op.trash, op.target))
            TLOG_ERROR("could not put back " << op.target);
    }
}

int LibraryChange::recover(DB& db, const DataPaths& paths) {
    const QString folder = journalDir(paths);
    const QFileInfoList plans = QDir(folder).entryInfoList({"*.plan"}, QDir::Files, QDir::Name);
    for (const QFileInfo& planFile : plans) {
        QFile file(planFile.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly)) {
            TLOG_ERROR("library journal unreadable: " << planFile.absoluteFilePath());
            continue;
        }
        QTextStream in(&file);
        in.setCodec("UTF-8");
        QString id;
        QString what;
        QList<Op> ops;
        bool whole = false;
        while (!in.atEnd()) {
            const QStringList f = in.readLine().split('\t');
            if (f.value(0) == "change") {
                id = f.value(1);
                what = f.value(2);
            } else if (f.value(0) == "end") {
                whole = true;
            } else if (f.size() >= 4) {
                const QString k = f.value(0);
                const Op::Kind kind = k == "in"      ? Op::MoveIn
                                      : k == "copy"  ? Op::CopyIn
                                      : k == "write" ? Op::Write
                                                     : Op::Remove;
                ops.append({kind, f.value(1), f.value(2), f.value(3)});
            }
        }
        file.close();
        const QString stage = folder + "/" + id;
        // Every path a journal names lies in the data folders: one that does
        // not is no journal of ours, and nothing is done by it.
        bool ours = !id.isEmpty();
        for (const Op& op : ops) {
            for (const QString& p : {op.source, op.target, op.trash})
                if (!p.isEmpty() && !paths.isInsideDataFolders(p))
                    ours = false;
        }
        bool committed = false;
        if (!ours) {
            TLOG_ERROR("library journal names paths outside the data folders, ignored: "
                       << planFile.absoluteFilePath());
        } else if (!whole) {
            TLOG_INFO("library change cut short before it touched a file, nothing to mend: " << what);
        } else if (!db.isChangeMarked(id, committed)) {
            TLOG_ERROR("library journal kept for the next start (catalogue unreadable): " << what);
            continue;
        } else if (committed) {
            TLOG_INFO("library change cut short after its commit, finished: " << what);
            finishOps(ops, paths);
        } else {
            TLOG_INFO("library change cut short before its commit, undone: " << what);
            undo(ops, paths);
        }
        QFile::remove(planFile.absoluteFilePath());
        if (ours)
            QDir(stage).removeRecursively();
        if (committed)
            db.unmarkChange(id);
    }
    // Journals cut short while being written, folders whose journal went
    // (the change had finished), and marks whose journal went.
    for (const QFileInfo& part : QDir(folder).entryInfoList({"*.part"}, QDir::Files))
        QFile::remove(part.absoluteFilePath());
    for (const QFileInfo& stage : QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!stage.isSymLink() && !QFileInfo::exists(folder + "/" + stage.fileName() + ".plan"))
            QDir(stage.absoluteFilePath()).removeRecursively();
    }
    db.clearChangeMarks();
    QDir().rmdir(folder);
    return plans.size();
}
