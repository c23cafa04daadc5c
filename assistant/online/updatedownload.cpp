#include "updatedownload.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

QUrl updateDownloadUrl(const QString& baseAddress, const QString& path) {
    if (baseAddress.isEmpty() || !path.startsWith('/'))
        return {};
    const QUrl base(baseAddress);
    const QUrl url(baseAddress + path);
    if (!base.isValid() || !url.isValid() || url.scheme() != base.scheme() || url.host() != base.host() ||
        url.port() != base.port() || !url.userInfo().isEmpty())
        return {};
    return url;
}

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\\') &&
           !name.contains(QChar(0));
}

QString updateFileName(const QUrl& address) {
    // Split while still encoded, so "%2F" cannot hide a folder in the last segment.
    const QString encoded = address.path(QUrl::FullyEncoded);
    const QString last = encoded.mid(encoded.lastIndexOf('/') + 1);
    const QString name = QUrl::fromPercentEncoding(last.toLatin1());
    return isPlainFileName(name) ? name : QString();
}

bool isFollowableRedirect(const QUrl& target) {
    const QString scheme = target.scheme().toLower();
    return target.isValid() && (scheme == "http" || scheme == "https") && !target.host().isEmpty();
}

bool fileMatchesSha256(const QString& path, const QString& hexDigest) {
    static const QRegularExpression hex("^[0-9a-fA-F]{64}$");
    if (!hex.match(hexDigest).hasMatch())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return false;
    return hash.result().toHex() == hexDigest.toLower().toLatin1();
}
