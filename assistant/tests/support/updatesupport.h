#pragma once
// The client update's test parts that need no widgets: the desktop's file
// handler caught in the process, and offers signed with the test release key.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

namespace updatetest {

// Stands in for the desktop's default handler of local files while it lives.
// refuse: the hand-over fails as it does when nothing can open the file.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(bool refuse = false);
    ~UrlCatcher() override;
    QList<QUrl> urls;
    // Each file's bytes at the moment it was handed over.
    QList<QByteArray> contents;

public slots:
    void open(const QUrl& url);
};

// The release key the test build trusts, and the signing tool.
QString testKeyFile();
QString signingTool();
// What a release adds to its offer for installer (version_name, size, sha256,
// signature), made by the signing tool with keyFile for the version and the
// name the client saves it under; empty when the tool failed.
QJsonObject signedMembers(const QByteArray& installer, const QString& version, const QString& fileName,
                          const QString& keyFile = testKeyFile());

} // namespace updatetest
