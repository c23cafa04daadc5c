#pragma once
// Request bodies and query strings in application/x-www-form-urlencoded form:
// key=value pairs joined by '&', each value UTF-8 and percent-encoded, so a
// name holding '&', '=', '+' or '%' arrives as typed and cannot add or
// overwrite another field.

#include <QByteArray>
#include <QString>

// One value, encoded: letters, digits and "*-._" stay, a blank becomes '+',
// every other byte of the UTF-8 text becomes %XX.
QByteArray formEncode(const QString& value);

class FormBody {
public:
    FormBody& add(const char* key, const QString& value);
    FormBody& add(const char* key, int value);
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};
