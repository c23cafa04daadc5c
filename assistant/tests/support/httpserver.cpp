#include "httpserver.h"

#include <QStringList>
#include <QThread>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

namespace {

bool sendAll(int fd, const QByteArray& data) {
    qint64 sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

// Reads until the predicate says the request is whole, the peer closes, or
// timeoutMs passes without data.
bool readMore(int fd, QByteArray& into, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buf[65536];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0)
        return false;
    into.append(buf, int(n));
    return true;
}

const char* reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

QByteArray HttpServer::Request::header(const QByteArray& name) const {
    for (const auto& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

HttpServer::HttpServer() {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0)
        return;
    int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(m_listen);
        m_listen = -1;
        return;
    }
    m_port = ntohs(addr.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

HttpServer::~HttpServer() {
    m_stop = true;
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::vector<std::thread> connections;
    {
        QMutexLocker lock(&m_mutex);
        connections.swap(m_connections);
    }
    for (auto& t : connections)
        t.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

QString HttpServer::baseAddress() const {
    return QString("http://127.0.0.1:%1").arg(m_port);
}

void HttpServer::setReply(const QByteArray& path, const Reply& reply) {
    QMutexLocker lock(&m_mutex);
    m_replies[path] = reply;
}

void HttpServer::setResponder(Responder responder) {
    QMutexLocker lock(&m_mutex);
    m_responder = std::move(responder);
}

QList<HttpServer::Request> HttpServer::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

QList<QByteArray> HttpServer::bodies(const QByteArray& path) const {
    QList<QByteArray> out;
    for (const Request& r : requests()) {
        if (r.path() == path)
            out << r.body;
    }
    return out;
}

void HttpServer::clear() {
    QMutexLocker lock(&m_mutex);
    m_requests.clear();
}

void HttpServer::acceptLoop() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        QMutexLocker lock(&m_mutex);
        m_connections.emplace_back([this, fd] { serve(fd); });
    }
}

void HttpServer::serve(int fd) {
    QByteArray data;
    int headerEnd = -1;
    while ((headerEnd = data.indexOf("\r\n\r\n")) < 0) {
        if (m_stop || !readMore(fd, data, 5000)) {
            ::close(fd);
            return;
        }
    }
    Request request;
    const QList<QByteArray> lines = data.left(headerEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    qint64 length = 0;
    bool expectContinue = false;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers << qMakePair(name, value);
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
            length = value.toLongLong();
        if (name.compare("Expect", Qt::CaseInsensitive) == 0 &&
            value.compare("100-continue", Qt::CaseInsensitive) == 0)
            expectContinue = true;
    }
    if (expectContinue)
        sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
    QByteArray body = data.mid(headerEnd + 4);
    while (body.size() < length) {
        if (m_stop || !readMore(fd, body, 5000))
            break;
    }
    request.body = body.left(int(length));

    Reply reply{404, "{\"status\":\"failure\",\"reason\":\"no such path\"}"};
    {
        QMutexLocker lock(&m_mutex);
        m_requests << request;
        const auto it = m_replies.constFind(request.path());
        if (!(m_responder && m_responder(request, &reply)) && it != m_replies.constEnd())
            reply = it.value();
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(reply.delayMs);
    while (!m_stop && std::chrono::steady_clock::now() < until)
        QThread::msleep(10);
    if (!reply.drop && !m_stop) {
        QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " " + reason(reply.status) + "\r\n";
        out += "Content-Type: " + reply.contentType + "\r\n";
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        for (const auto& h : reply.headers)
            out += h.first + ": " + h.second + "\r\n";
        out += "Connection: close\r\n\r\n";
        if (reply.chunkBytes <= 0) {
            out += reply.body;
            sendAll(fd, out);
        } else if (sendAll(fd, out)) {
            for (int at = 0; at < reply.body.size() && !m_stop; at += reply.chunkBytes) {
                if (!sendAll(fd, reply.body.mid(at, reply.chunkBytes)))
                    break;
                // The peer may have gone (a cancelled download): stop as soon as it has.
                for (int waited = 0; waited < reply.chunkDelayMs && !m_stop; waited += 5)
                    QThread::msleep(5);
            }
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

QList<QPair<QString, QString>> decodeForm(const QByteArray& body) {
    QList<QPair<QString, QString>> out;
    if (body.isEmpty())
        return out;
    for (QByteArray pair : body.split('&')) {
        const int eq = pair.indexOf('=');
        QByteArray key = eq < 0 ? pair : pair.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1);
        key.replace('+', ' ');
        value.replace('+', ' ');
        out << qMakePair(QString::fromUtf8(QByteArray::fromPercentEncoding(key)),
                         QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return out;
}

QString formValue(const QList<QPair<QString, QString>>& form, const QString& key) {
    for (const auto& p : form) {
        if (p.first == key)
            return p.second.isNull() ? QString("") : p.second;
    }
    return QString();
}

QStringList formKeys(const QList<QPair<QString, QString>>& form) {
    QStringList keys;
    for (const auto& p : form)
        keys << p.first;
    return keys;
}

QPair<int, QByteArray> httpCall(quint16 port, const QByteArray& method, const QByteArray& target,
                                const QByteArray& body, const QByteArray& contentType) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {0, {}};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return {0, {}};
    }
    QByteArray out = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!body.isEmpty() || method == "POST")
        out += "Content-Type: " + contentType + "\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n";
    out += "\r\n" + body;
    QByteArray in;
    if (sendAll(fd, out)) {
        while (readMore(fd, in, 15000)) {
        }
    }
    ::close(fd);
    const int headerEnd = in.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return {0, in};
    const int status = in.left(in.indexOf("\r\n")).split(' ').value(1).toInt();
    return {status, in.mid(headerEnd + 4)};
}

} // namespace testsupport
