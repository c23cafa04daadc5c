#include "extract.h"

#include "sharedinstall.h"

#include "platform/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUuid>

namespace {

QMutex g_toolMutex;
QString g_tool;

struct ToolRun {
    bool started = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QString startError;
    bool cancelled = false;
    bool ok() const { return started && !crashed && !cancelled && exitCode == 0; }
};

// Runs the tool to its end: a big pack takes as long as it takes, and stopping
// half way would leave a half unpacked pack that looks complete. With a
// progress callback the tool's own percentages (-bsp1 on its output) are
// handed on as they come; the callback answers false to stop the tool.
ToolRun runTool(const QStringList& args, const QString& workDir = QString(),
                const ExtractProgress& progress = ExtractProgress()) {
    ToolRun r;
    QProcess p;
    p.setProgram(extractTool());
    QStringList arguments = args;
    if (progress && !arguments.isEmpty())
        arguments.insert(1, "-bsp1"); // after the command
    p.setArguments(arguments);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start();
    if (!p.waitForStarted(-1)) {
        r.startError = p.errorString();
        return r;
    }
    r.started = true;
    if (progress) {
        static const QRegularExpression percent("(\\d{1,3})%");
        int last = 0;
        // A stop asked for before the tool got going is honoured at once.
        bool keepGoing = progress(0);
        while (keepGoing && !p.waitForFinished(100)) {
            const QByteArray chunk = p.readAllStandardOutput();
            r.out += chunk;
            // The newest figure counts; the tool rewrites its line with backspaces.
            auto matches = percent.globalMatch(QString::fromLatin1(chunk));
            while (matches.hasNext())
                last = matches.next().captured(1).toInt();
            keepGoing = progress(qBound(0, last, 100));
        }
        if (!keepGoing) {
            r.cancelled = true;
            p.kill();
            p.waitForFinished(-1);
        }
        if (r.out.size() > (1 << 20))
            r.out = r.out.right(1 << 16); // only the end of the progress text can say what went wrong
    } else {
        p.waitForFinished(-1);
    }
    r.crashed = p.exitStatus() == QProcess::CrashExit;
    r.exitCode = p.exitCode();
    r.out += p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString describe(const ToolRun& r) {
    if (!r.started)
        return QString("could not start %1: %2").arg(extractTool(), r.startError);
    QString text = r.crashed ? QString("crashed") : QString("exit code %1").arg(r.exitCode);
    QString err = QString::fromLocal8Bit(r.err).trimmed();
    if (err.isEmpty()) {
        // Some failures are told on standard output only.
        const QString out = QString::fromLocal8Bit(r.out).trimmed();
        err = out.right(2000);
    }
    if (!err.isEmpty())
        text += ": " + err.left(4000);
    return text;
}

bool isLinkMode(const QString& mode) {
    return mode.size() == 10 && mode.startsWith('l');
}

// Entries of a technical listing ("7za l -slt") that are links: symbolic links
// (7z and zip tell by the unix mode, tar also by name) and tar's hard links.
QStringList linksInListing(const QByteArray& listing) {
    QStringList links;
    QString path;
    bool link = false;
    bool inEntries = false;
    auto endEntry = [&]() {
        if (!path.isEmpty() && link && !links.contains(path))
            links << path;
        path.clear();
        link = false;
    };
    for (const QByteArray& raw : listing.split('\n')) {
        const QString line = QString::fromUtf8(raw).remove('\r');
        if (line.startsWith("----------")) {
            inEntries = true; // what comes before describes the archive itself
            continue;
        }
        if (!inEntries)
            continue;
        if (line.startsWith("Path = ")) {
            endEntry();
            path = line.mid(7);
        } else if (line.startsWith("Attributes = ")) {
            const QStringList parts = line.mid(13).split(' ', Qt::SkipEmptyParts);
            if (!parts.isEmpty() && isLinkMode(parts.last()))
                link = true;
        } else if (line.startsWith("Mode = ")) {
            if (isLinkMode(line.mid(7).trimmed()))
                link = true;
        } else if (line.startsWith("Symbolic Link = ") || line.startsWith("Hard Link = ")) {
            if (!line.section(" = ", 1).isEmpty())
                link = true;
        }
    }
    endEntry();
    return links;
}

// A fresh folder beside the destination for the tool to unpack into, made
// with the usual permissions; removed again unless kept.
class StagingFolder {
public:
    explicit StagingFolder(const QString& parent)
        : m_path(parent + "/.unpack-" + QUuid::createUuid().toString(QUuid::Id128)) {
        m_made = QDir().mkdir(m_path);
    }
    ~StagingFolder() {
        if (m_made && !m_kept)
            QDir(m_path).removeRecursively();
    }
    bool made() const { return m_made; }
    QString path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_made = false;
    bool m_kept = false;
};

} // namespace

QString extractTool() {
    {
        QMutexLocker lock(&g_toolMutex);
        if (!g_tool.isEmpty())
            return g_tool;
    }
    const QString beside = QCoreApplication::applicationDirPath() + "/7za";
    if (QFileInfo(beside).isFile() && QFileInfo(beside).isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable("7za");
    return onPath.isEmpty() ? QString("7za") : onPath;
}

QString unpackFolderBeside(const QString& archivePath) {
    const QFileInfo info(archivePath);
    return QString("%1/%2").arg(info.absolutePath(), info.baseName());
}

void setExtractTool(const QString& program) {
    QMutexLocker lock(&g_toolMutex);
    g_tool = program;
}

bool extract(const QString& archivePath, const QString& destDir, bool overwrite, ExtractReport* report,
             const ExtractProgress& progress) {
    ExtractReport local;
    ExtractReport& rep = report ? *report : local;
    rep = ExtractReport();

    if (QFileInfo::exists(destDir) || QFileInfo(destDir).isSymLink()) {
        TLOG_DEBUG("dir exists");
        if (!overwrite) {
            rep.refused = true;
            return false;
        }
        if (QFileInfo(destDir).isSymLink() || !QFileInfo(destDir).isDir())
            QFile::remove(destDir);
        else
            QDir(destDir).removeRecursively();
    }

    // 7-Zip reads "*" and "?" in names as wildcards and a leading "-" as a
    // switch: every name goes after "--" with -spd (names taken literally),
    // and the archive by its absolute path.
    const QString archive = QFileInfo(archivePath).absoluteFilePath();

    // List first: links are left out of the extraction, so no file can be
    // written through one, whatever the tool's own rules are.
    const ToolRun listing = runTool({"l", "-slt", "-sccUTF-8", "-spd", "--", archive});
    if (!listing.ok()) {
        rep.toolFailed = true;
        rep.exitCode = listing.exitCode;
        rep.errorOutput = describe(listing);
        TLOG_ERROR("extract failed, can not read archive " << archivePath << ": " << rep.errorOutput);
        return false;
    }
    rep.skippedLinks = linksInListing(listing.out);

    // The tool unpacks into a plainly named folder beside the destination
    // (its -o switch turns a "*" into the archive's name), run from there so
    // no other part of the path reaches it; the folder then takes the
    // destination's name in one rename, so a half unpacked folder never
    // carries the name a finished one has.
    const QString parent = QFileInfo(destDir).absolutePath();
    if (!QDir().mkpath(parent)) {
        rep.toolFailed = true;
        rep.errorOutput = "can not create " + parent;
        TLOG_ERROR("extract failed, can not create the destination's folder: " << parent);
        return false;
    }
    StagingFolder staging(parent);
    if (!staging.made()) {
        rep.toolFailed = true;
        rep.errorOutput = "can not create an unpack folder in " + parent;
        TLOG_ERROR("extract failed, can not create an unpack folder in " << parent);
        return false;
    }
    const QString stagingName = QFileInfo(staging.path()).fileName();
    QStringList args{"x", "-spd", "-scsUTF-8", "-o" + stagingName, "-aoa"};

    // The exclusion list lies beside the destination: nothing goes anywhere else.
    QTemporaryFile excludeList(parent + "/.extract-XXXXXX.txt");
    if (!rep.skippedLinks.isEmpty()) {
        for (const QString& link : rep.skippedLinks) {
            if (link.contains('\n') || link.contains('\r')) {
                rep.toolFailed = true;
                rep.errorOutput = "link name with a line break";
                TLOG_ERROR("extract failed, archive holds a link that can not be left out: " << archivePath);
                return false;
            }
            TLOG_ERROR("symbolic link in archive not unpacked: " << link);
        }
        if (!excludeList.open()) {
            rep.toolFailed = true;
            rep.errorOutput = excludeList.errorString();
            TLOG_ERROR("extract failed, can not write exclusion list: " << rep.errorOutput);
            return false;
        }
        excludeList.write(rep.skippedLinks.join('\n').toUtf8() + '\n');
        excludeList.flush();
        args << "-x@" + QFileInfo(excludeList.fileName()).fileName();
    }
    args << "--" << archive;

    const ToolRun run = runTool(args, parent, progress);
    rep.exitCode = run.exitCode;
    if (run.cancelled) {
        // The staging folder goes with its guard: nothing of the archive is left.
        rep.cancelled = true;
        TLOG_INFO("extract cancelled: " << archivePath);
        return false;
    }
    if (!run.ok()) {
        rep.toolFailed = true;
        rep.errorOutput = describe(run);
        TLOG_ERROR("extract failed: " << archivePath << ": " << rep.errorOutput);
        return false;
    }
    // The tool gives files the modes the archive names: in a folder several
    // accounts share, the others must be able to remove them as well.
    if (!sharedinstall::shareTree(QFile::encodeName(staging.path()).toStdString()))
        TLOG_ERROR("not everything unpacked from " << archivePath << " could be given to the group");
    if (!QDir().rename(staging.path(), destDir)) {
        rep.toolFailed = true;
        rep.errorOutput = "can not rename the unpack folder to " + destDir;
        TLOG_ERROR("extract failed: " << archivePath << ": " << rep.errorOutput);
        return false;
    }
    staging.keep();
    return true;
}
