#include "updatesupport.h"

#include "support/testplayer.h"
#include "support/testsupport.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace updatetest {

UrlCatcher::UrlCatcher(bool refuse) {
    // The desktop has a program for installers (which the catcher stands in for).
    testsupport::TestPlayer::instance();
    // A method that does not exist makes QDesktopServices::openUrl report failure.
    QDesktopServices::setUrlHandler("file", this, refuse ? "noSuchHandler" : "open");
}

UrlCatcher::~UrlCatcher() {
    QDesktopServices::unsetUrlHandler("file");
}

void UrlCatcher::open(const QUrl& url) {
    urls << url;
    QFile file(url.toLocalFile());
    contents << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

QString testKeyFile() {
    return QString(TAVI_SOURCE_DIR) + "/tools/updatesign/test-key.pem";
}

QString signingTool() {
    return QString(TAVI_UPDATESIGN_EXE);
}

QJsonObject signedMembers(const QByteArray& installer, const QString& version, const QString& fileName,
                          const QString& keyFile) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/installer";
    if (!testsupport::writeFile(file, installer))
        return {};
    const testsupport::ProcessResult r =
        testsupport::run(signingTool(), {"sign", keyFile, file, version, fileName});
    if (r.exitCode != 0)
        qWarning() << "updatesign failed:" << r.err;
    return r.exitCode == 0 ? QJsonDocument::fromJson(r.out.toUtf8()).object() : QJsonObject();
}

} // namespace updatetest
