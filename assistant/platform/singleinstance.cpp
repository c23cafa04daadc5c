#include "singleinstance.h"

#include "log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cstdio>

const char* const SingleInstanceHelper::kMutexName = "taviassistant-9898e953-8372-43c8-9563-9119822fd5ee";

SingleInstanceHelper::SingleInstanceHelper(const QString& key, QObject* parent) : QObject(parent), m_key(key) {
    if (m_key.isEmpty())
        m_key = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    QLocalSocket probe;
    probe.connectToServer(m_key);
    if (probe.waitForConnected(500)) {
        std::fprintf(stderr, "%s already running.\n", m_key.toLocal8Bit().constData());
        std::fflush(stderr);
        m_running = true;
        probe.disconnectFromServer();
        return;
    }

    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceHelper::_newLocalConnection);
    if (!m_server->listen(m_key)) {
        // A server left behind by a run that did not end cleanly: nobody answered
        // on it above, so it is safe to take its place.
        if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
            QLocalServer::removeServer(m_key);
            if (!m_server->listen(m_key))
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

SingleInstanceHelper::~SingleInstanceHelper() {
    if (m_mutex)
        m_mutex->unlock();
}

void SingleInstanceHelper::_newLocalConnection() {
    QLocalSocket* socket = m_server->nextPendingConnection();
    if (!socket)
        return;
    socket->waitForReadyRead(1000);
    delete socket;
    if (m_activate)
        m_activate();
}
