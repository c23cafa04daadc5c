#pragma once
// The development service (tools/devservice) as a child process on 127.0.0.1:
// a free port read from its first line, a fresh database of its own, and the
// requests it received read back through its /_requests record.

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

class DevService {
public:
    explicit DevService(const QStringList& extraArgs = {});
    ~DevService();
    DevService(const DevService&) = delete;
    DevService& operator=(const DevService&) = delete;

    bool isRunning() const { return m_port != 0; }
    QString error() const { return m_error; }
    quint16 port() const { return m_port; }
    QString baseAddress() const { return QString("http://127.0.0.1:%1").arg(m_port); }

    // Every request received (oldest first), or those of one path ("/api/up_userinfo").
    QJsonArray requests(const QString& path = QString()) const;
    // The parsed form fields of the last request to path, as the service read them.
    QList<QPair<QString, QString>> lastFields(const QString& path) const;
    QJsonArray users() const;
    // POST /_control with a JSON order; true when the service took it.
    bool control(const QJsonObject& order) const;
    void clearRequests() const;

    // Stops the service (SIGTERM) and waits for it.
    void stop();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace testsupport
