#include "devservice.h"

#include "httpserver.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrlQuery>

namespace testsupport {

DevService::DevService(const QStringList& extraArgs) {
    QStringList args = {TAVI_DEVSERVICE, "--port", "0", "--db", m_dir.path() + "/devservice.db"};
    args << extraArgs;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start("python3", args);
    if (!m_process.waitForStarted(10000)) {
        m_error = "python3 did not start: " + m_process.errorString();
        return;
    }
    QByteArray line;
    QElapsedTimer t;
    t.start();
    while (!line.contains('\n') && t.elapsed() < 20000 && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(200);
        line += m_process.readAllStandardOutput();
    }
    const QRegularExpressionMatch m =
        QRegularExpression("listening on http://127\\.0\\.0\\.1:(\\d+)").match(QString::fromUtf8(line));
    if (!m.hasMatch()) {
        m_error = "no listening line: " + QString::fromUtf8(line) +
                  QString::fromUtf8(m_process.readAllStandardError());
        stop();
        return;
    }
    m_port = quint16(m.captured(1).toUInt());
}

DevService::~DevService() {
    stop();
}

void DevService::stop() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    m_port = 0;
}

QJsonArray DevService::requests(const QString& path) const {
    QByteArray target = "/_requests";
    if (!path.isEmpty())
        target += "?path=" + QUrl::toPercentEncoding(path);
    const auto r = httpCall(m_port, "GET", target);
    return QJsonDocument::fromJson(r.second).array();
}

QList<QPair<QString, QString>> DevService::lastFields(const QString& path) const {
    const QJsonArray all = requests(path);
    QList<QPair<QString, QString>> out;
    if (all.isEmpty())
        return out;
    for (const QJsonValue& pair : all.last().toObject().value("fields").toArray())
        out << qMakePair(pair.toArray().at(0).toString(), pair.toArray().at(1).toString());
    return out;
}

QJsonArray DevService::users() const {
    const auto r = httpCall(m_port, "GET", "/_users");
    const QJsonDocument doc = QJsonDocument::fromJson(r.second);
    return doc.isArray() ? doc.array() : doc.object().value("users").toArray();
}

bool DevService::control(const QJsonObject& order) const {
    return httpCall(m_port, "POST", "/_control", QJsonDocument(order).toJson(QJsonDocument::Compact)).first ==
           200;
}

void DevService::clearRequests() const {
    httpCall(m_port, "DELETE", "/_requests");
}

} // namespace testsupport
