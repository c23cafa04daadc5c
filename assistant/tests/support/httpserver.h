#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the service client's tests: it
// records every request byte for byte and answers each path as a test tells
// it (a body, a status, extra headers, a delay, a slow body, or a dropped
// connection). One thread per connection, so a reply held back for seconds
// does not hold up the next.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QPair>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace testsupport {

class HttpServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        int delayMs = 0;
        bool drop = false; // close without answering
        // More header lines ("Location" of a redirect, for example).
        QList<QPair<QByteArray, QByteArray>> headers = {};
        // Sends the body in pieces of chunkBytes with chunkDelayMs between
        // them (a slow download); 0 sends it at once.
        int chunkBytes = 0;
        int chunkDelayMs = 0;
    };
    struct Request {
        QByteArray method;
        QByteArray target; // path and query as sent
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray path() const {
            return target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        }
        QByteArray header(const QByteArray& name) const;
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    bool isListening() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:PORT"
    QString baseAddress() const;

    // The reply for one path ("/api/user_login"); other paths get 404.
    void setReply(const QByteArray& path, const Reply& reply);
    void setReply(const QByteArray& path, const QByteArray& body) { setReply(path, Reply{200, body}); }
    // Answers the requests it takes (returns true for) itself, before the per-path replies.
    using Responder = std::function<bool(const Request&, Reply*)>;
    void setResponder(Responder responder);

    QList<Request> requests() const;
    // The bodies received for one path, oldest first.
    QList<QByteArray> bodies(const QByteArray& path) const;
    void clear();

private:
    void acceptLoop();
    void serve(int fd);

    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    mutable QMutex m_mutex;
    std::vector<std::thread> m_connections;
    QMap<QByteArray, Reply> m_replies;
    Responder m_responder;
    QList<Request> m_requests;
};

// A form body decoded the way a service reads it ('+' is a blank, %XX a byte,
// UTF-8 text): the pairs in order.
QList<QPair<QString, QString>> decodeForm(const QByteArray& body);
// The value of key in a decoded form; a null string when absent.
QString formValue(const QList<QPair<QString, QString>>& form, const QString& key);
QStringList formKeys(const QList<QPair<QString, QString>>& form);

// One plain HTTP request to 127.0.0.1:port (for the development service's
// control paths); returns the status (0 when nothing answered) and the body.
QPair<int, QByteArray> httpCall(quint16 port, const QByteArray& method, const QByteArray& target,
                                const QByteArray& body = QByteArray(),
                                const QByteArray& contentType = "application/json");

} // namespace testsupport
