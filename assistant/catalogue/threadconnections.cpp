#include "threadconnections.h"

#include "platform/log.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QThread>
#include <QThreadStorage>

namespace {

QAtomicInt g_serial{0};

// The clones a thread opened; closed when the thread ends.
struct OpenedHere {
    QStringList names;
    ~OpenedHere() {
        for (const QString& name : names) {
            {
                QSqlDatabase db = QSqlDatabase::database(name, false);
                if (db.isValid())
                    db.close();
            }
            if (QSqlDatabase::contains(name))
                QSqlDatabase::removeDatabase(name);
        }
    }
};
QThreadStorage<OpenedHere*> g_openedHere;

} // namespace

ThreadConnections::ThreadConnections(const QString& name, const QString& path, const QString& connectOptions,
                                     Prepare prepare)
    : m_name(name), m_path(path), m_options(connectOptions), m_prepare(std::move(prepare)),
      m_owner(QThread::currentThread()), m_serial(g_serial.fetchAndAddRelaxed(1)) {}

QSqlDatabase ThreadConnections::connection() {
    if (QThread::currentThread() == m_owner)
        return QSqlDatabase::database(m_name, false);
    const QString name =
        QString("%1_%2_%3").arg(m_name).arg(m_serial).arg(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
    db.setDatabaseName(m_path);
    db.setConnectOptions(m_options);
    if (!(m_prepare ? m_prepare(db) : db.open()))
        TLOG_ERROR("open db failed:" << db.lastError().text());
    if (!g_openedHere.hasLocalData())
        g_openedHere.setLocalData(new OpenedHere);
    if (!g_openedHere.localData()->names.contains(name))
        g_openedHere.localData()->names << name;
    QMutexLocker lock(&m_mutex);
    if (!m_clones.contains(name))
        m_clones << name;
    return db;
}

void ThreadConnections::dropClones() {
    QMutexLocker lock(&m_mutex);
    for (const QString& name : m_clones) {
        if (!QSqlDatabase::contains(name))
            continue;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    m_clones.clear();
}
