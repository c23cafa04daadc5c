#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>

namespace testsupport {

TempRoot::TempRoot() {
    QDir().mkpath(appDir());
}

void TempRoot::installClient() const {
    QDir().mkpath(appDir());
    QFile::remove(clientExe());
    QFile::copy(TAVI_CLIENT_EXE, clientExe());
    QFile::remove(appDir() + "/version.ini");
    QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/version.ini", appDir() + "/version.ini");
    // The region cache as shipped (a copy: runs write the schools they fetch into it).
    QFile::remove(appDir() + "/offline.db");
    QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/offline.db", appDir() + "/offline.db");
    QFile::setPermissions(appDir() + "/offline.db", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString TempRoot::readLog() const {
    return readFile(logPath());
}

ProcessResult run(const QString& program, const QStringList& args, int timeoutMs, const QStringList& env,
                  const QString& workDir) {
    ProcessResult r;
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env) {
        const int eq = kv.indexOf('=');
        e.insert(kv.left(eq), kv.mid(eq + 1));
    }
    p.setProcessEnvironment(e);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        r.err = p.errorString();
        return r;
    }
    if (!p.waitForFinished(timeoutMs)) {
        r.timedOut = true;
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitCode();
    r.crashed = p.exitStatus() == QProcess::CrashExit;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QStringList clientEnv(const QString& tmpDir) {
    QDir().mkpath(tmpDir);
    QFile::setPermissions(tmpDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return {"QT_QPA_PLATFORM=offscreen", "TMPDIR=" + tmpDir, "XDG_RUNTIME_DIR=" + tmpDir};
}

bool waitFor(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

QString readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

bool writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size();
}

QStringList listTree(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        it.next();
        out << base.relativeFilePath(it.filePath()) + (it.fileInfo().isDir() ? "/" : "");
    }
    out.sort();
    return out;
}

} // namespace testsupport
