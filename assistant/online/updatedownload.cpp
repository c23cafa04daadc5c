#include "updatedownload.h"

#include "updatekeys.h"
#include "updatesign.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
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

QStringList trustedUpdateKeys() {
    QStringList keys;
    for (const char* key : kTrustedUpdateKeys)
        keys << QString::fromLatin1(key);
    return keys;
}

bool isSignedOffer(const _UpdateInfo& info, const QString& fileName, const QStringList& keys, QString* why) {
    auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (info.signature.isEmpty())
        return fail("the offer carries no signature");
    bool sized = false;
    updatesign::Claims claims;
    claims.version = info.versionName.toStdString();
    claims.fileName = fileName.toStdString();
    claims.size = info.size.toLongLong(&sized);
    claims.sha256 = info.sha256.toStdString();
    if (!sized || !info.size.at(0).isDigit())
        return fail(QString("the offer's size \"%1\" is no number").arg(info.size));
    const std::string text = updatesign::signedText(claims);
    if (text.empty())
        return fail(QString("the offer's version \"%1\", file \"%2\" or sha256 \"%3\" cannot be signed")
                        .arg(info.versionName, fileName, info.sha256));
    std::vector<std::string> trusted;
    for (const QString& key : keys)
        trusted.push_back(key.toStdString());
    std::string reason;
    if (!updatesign::verify(text, info.signature.toStdString(), trusted, &reason))
        return fail(QString::fromStdString(reason) + " over " +
                    QString::fromStdString(text).replace('\n', ' '));
    return true;
}

bool isOfferedFile(const QString& path, const _UpdateInfo& info, QString* why) {
    const qint64 size = QFileInfo(path).size();
    if (QString::number(size) != info.size) {
        if (why)
            *why = QString("%1 has %2 bytes, the signed offer %3").arg(path).arg(size).arg(info.size);
        return false;
    }
    if (!fileMatchesSha256(path, info.sha256)) {
        if (why)
            *why = QString("%1 does not match the sha256 the signed offer names (%2)").arg(path, info.sha256);
        return false;
    }
    return true;
}
