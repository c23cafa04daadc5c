#pragma once
// Keeps the client to one instance per user: the first instance listens on a
// local server named by the key; a later start finds it and gives up. Across
// accounts, a lock in the shared data folder keeps it to one per library.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

class SingleInstanceHelper : public QObject {
    Q_OBJECT
public:
    // The name of the lock that marks a running client (held for the whole run).
    static const char* const kMutexName;

    // handOver: files a second start passes to the running client (opening a
    // pack from the file manager), sent before this start gives up.
    SingleInstanceHelper(const QString& key, QObject* parent = nullptr, const QStringList& handOver = {});
    ~SingleInstanceHelper() override;

    bool isRunning() const { return m_running; }
    // One client per library, whichever account started it: takes the lock
    // file in folder (the data folder every account shares) for this run.
    // False, with the holder logged, while a client of another account holds it.
    bool lockLibrary(const QString& folder);
    // What brings the window to front when another start knocks (show, raise, activate).
    void setWindowActivator(std::function<void()> activate) { m_activate = std::move(activate); }

signals:
    // A later start handed these files over (absolute paths).
    void filesHandedOver(const QStringList& files);

private slots:
    void _newLocalConnection();

private:
    QString m_key;
    bool m_running = false;
    QLocalServer* m_server = nullptr;
    std::unique_ptr<QLockFile> m_mutex;
    std::unique_ptr<QLockFile> m_libraryLock;
    std::function<void()> m_activate;
};
