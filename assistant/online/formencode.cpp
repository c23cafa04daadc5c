#include "formencode.h"

QByteArray formEncode(const QString& value) {
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '*' ||
            b == '-' || b == '.' || b == '_') {
            out += char(b);
        } else if (b == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0x0F];
        }
    }
    return out;
}

FormBody& FormBody::add(const char* key, const QString& value) {
    if (!m_bytes.isEmpty())
        m_bytes += '&';
    m_bytes += key;
    m_bytes += '=';
    m_bytes += formEncode(value);
    return *this;
}

FormBody& FormBody::add(const char* key, int value) {
    return add(key, QString::number(value));
}
