#include "singleinstance.h"

#include "log.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QUrl>
#include <cstdio>
#include <unistd.h>

const char* const SingleInstanceHelper::kMutexName = "taviassistant-9898e953-8372-43c8-9563-9119822fd5ee";

namespace {
// What a later start says: this line, then one percent-encoded absolute path a line.
const QByteArray kOpenLine = "TAVI-OPEN 1";
} // namespace

SingleInstanceHelper::SingleInstanceHelper(const QString& key, QObject* parent, const QStringList& handOver)
    : QObject(parent), m_key(key) {
    if (m_key.isEmpty())
        m_key = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    // Each account has its own: a client another account runs on this
    // computer is no place to hand files to (the library's lock keeps the two
    // apart).
    const QString serverName = QString("%1-%2").arg(m_key).arg(getuid());
    QLocalSocket probe;
    probe.connectToServer(serverName);
    if (probe.waitForConnected(500)) {
        std::fprintf(stderr, "%s already running.\n", m_key.toLocal8Bit().constData());
        std::fflush(stderr);
        m_running = true;
        if (!handOver.isEmpty()) {
            QByteArray message = kOpenLine + '\n';
            for (const QString& file : handOver)
                message += QUrl::toPercentEncoding(QFileInfo(file).absoluteFilePath(), "/") + '\n';
            probe.write(message);
            if (!probe.waitForBytesWritten(1000))
                TLOG_ERROR("files not handed to the running client: " << probe.errorString());
        }
        probe.disconnectFromServer();
        if (probe.state() != QLocalSocket::UnconnectedState)
            probe.waitForDisconnected(1000);
        return;
    }

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceHelper::_newLocalConnection);
    if (!m_server->listen(serverName)) {
        // A server left behind by a run that did not end cleanly: nobody answered
        // on it above, so it is safe to take its place.
        if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
            QLocalServer::removeServer(serverName);
            if (!m_server->listen(serverName))
                TLOG_ERROR("local server listen failed: " << m_server->errorString());
        } else {
            TLOG_ERROR("local server listen failed: " << m_server->errorString());
        }
    }

    m_mutex = std::make_unique<QLockFile>(QDir::tempPath() + "/" + kMutexName);
    m_mutex->setStaleLockTime(0);
    if (!m_mutex->tryLock(0))
        TLOG_DEBUG("instance lock not taken, error " << int(m_mutex->error()));
}

bool SingleInstanceHelper::lockLibrary(const QString& folder) {
    QDir().mkpath(folder);
    m_libraryLock = std::make_unique<QLockFile>(folder + "/taviclient.lock");
    m_libraryLock->setStaleLockTime(0);
    if (m_libraryLock->tryLock(0))
        return true;
    qint64 pid = 0;
    QString host, name;
    m_libraryLock->getLockInfo(&pid, &host, &name);
    TLOG_ERROR("the library " << folder << " is in use by process " << pid << " (" << name << "), lock error "
                              << int(m_libraryLock->error()));
    m_libraryLock.reset();
    return false;
}

SingleInstanceHelper::~SingleInstanceHelper() {
    if (m_mutex)
        m_mutex->unlock();
}

void SingleInstanceHelper::_newLocalConnection() {
    QLocalSocket* socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    // A start that only knocks sends nothing; one with files sends them and hangs up.
    QByteArray data;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 1000 && socket->state() == QLocalSocket::ConnectedState) {
        if (socket->waitForReadyRead(int(1000 - waited.elapsed())))
            data += socket->readAll();
        else
            break;
        if (data.size() > (1 << 20))
            break;
    }
    data += socket->readAll();
    delete socket;
    if (m_activate)
        m_activate();
    const QList<QByteArray> lines = data.split('\n');
    if (lines.value(0) != kOpenLine)
        return;
    QStringList files;
    for (const QByteArray& line : lines.mid(1))
        if (!line.isEmpty())
            files << QUrl::fromPercentEncoding(line);
    if (!files.isEmpty())
        emit filesHandedOver(files);
}
