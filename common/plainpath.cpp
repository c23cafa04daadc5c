#include "plainpath.h"

#include <QRegularExpression>
#include <QStringList>

bool isPlainRelativePath(const QString& relative) {
    if (relative.trimmed().isEmpty())
        return false;
    if (relative.startsWith('/') || relative.startsWith('\\'))
        return false;
    static const QRegularExpression drive("^[A-Za-z]:");
    if (drive.match(relative).hasMatch())
        return false;
    const QStringList parts = QString(relative).replace('\\', '/').split('/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    for (const QString& part : parts) {
        if (part == "." || part == "..")
            return false;
    }
    return true;
}
