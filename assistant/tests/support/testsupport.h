#pragma once
// Helpers the client suites share: throw-away installation roots, running the
// real client, reading logs, waiting for conditions.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace testsupport {

// A throw-away root folder laid out like an installation: ROOT/bin is the
// application directory (the client binary and version.ini are copied there by
// installClient).
class TempRoot {
public:
    TempRoot();
    QString root() const { return m_dir.path(); }
    QString appDir() const { return m_dir.path() + "/bin"; }
    QString dataDir() const { return m_dir.path() + "/data"; }
    QString tempDir() const { return m_dir.path() + "/temp"; }
    QString path(const QString& relative) const { return m_dir.path() + "/" + relative; }
    // Copies the built client, its version.ini and the region cache into appDir.
    void installClient() const;
    QString clientExe() const { return appDir() + "/taviclient"; }
    QString logPath() const { return appDir() + "/debug/taviassistant.log"; }
    QString readLog() const;

private:
    QTemporaryDir m_dir;
};

struct ProcessResult {
    int exitCode = -1;
    bool crashed = false;
    bool timedOut = false;
    QString out;
    QString err;
};

// Runs a program to its end (killing it after timeoutMs). env entries "K=V" are added.
ProcessResult run(const QString& program, const QStringList& args, int timeoutMs = 60000,
                  const QStringList& env = {}, const QString& workDir = QString());

// Environment for a client process under test: offscreen, private temp folder.
QStringList clientEnv(const QString& tmpDir);

// Processes events until pred() holds or timeoutMs passes.
bool waitFor(const std::function<bool()>& pred, int timeoutMs = 10000);

QString readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& data);

// All files below a folder, as paths relative to it, sorted.
QStringList listTree(const QString& folder);

} // namespace testsupport
