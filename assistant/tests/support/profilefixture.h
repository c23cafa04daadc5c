#pragma once
// What the profile suites share: a catalogue and a copy of the shipped region
// cache handed to Core as start-up does, Core's worker thread running, a
// service client pointed at a server on 127.0.0.1, and reading QR codes back
// with zbarimg and query strings with Python's own parser.

#include "online/netclient.h"
#include "online/offlinedb.h"
#include "platform/network.h"
#include "support/listfixture.h"
#include "support/xvfb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QThread>

namespace profiletest {

const QString kDevice = "02:00:5E:10:00:01";

class ProfileFixture : public listtest::CatalogueFixture {
protected:
    void SetUp() override {
        CatalogueFixture::SetUp();
        const QString cachePath = root.appDir() + "/offline.db";
        QFile::remove(cachePath);
        ASSERT_TRUE(QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/offline.db", cachePath));
        QFile::setPermissions(cachePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        cache = std::make_unique<OfflineDB>(cachePath, "offline");
        ASSERT_TRUE(cache->open());
        core()->setOfflineDb(cache.get());
        core()->setDeviceId(kDevice);
        core()->setVersion("2.1.0");
        core()->setCurrentUser(TaviUser());
        thread.start();
        core()->setWorkerThread(&thread);
        probe = new QObject;
        probe->moveToThread(&thread);
    }
    void TearDown() override {
        // Widgets first (their jobs go with the thread), then the thread, then
        // what the jobs used.
        destroyWidgets();
        thread.quit();
        thread.wait();
        delete probe; // its thread has ended
        probe = nullptr;
        forceNetworkState(NetworkState::Unforced);
        core()->setWorkerThread(nullptr);
        core()->setNetClient(nullptr);
        core()->setOfflineDb(nullptr);
        core()->setCurrentUser(TaviUser());
        net.reset();
        cache.reset();
        CatalogueFixture::TearDown();
    }
    virtual void destroyWidgets() {}

    static Core* core() { return Core::instance(); }
    void useService(const QString& base) {
        net = std::make_unique<NetClient>(base, kDevice, core()->version(), core()->userRecord());
        core()->setNetClient(net.get());
    }
    // Waits until the worker thread has run everything queued to it so far,
    // then lets its queued signals arrive here.
    void settleJobs() {
        QMetaObject::invokeMethod(
            probe, [] {}, Qt::BlockingQueuedConnection);
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void addCachedSchool(int id, const QString& name, int city) {
        _SchoolInfo s{id, name, city};
        ASSERT_TRUE(cache->addSchool(&s));
    }

    std::unique_ptr<OfflineDB> cache;
    std::unique_ptr<NetClient> net;
    QThread thread;
    QObject* probe = nullptr;
};

// The texts of the QR codes zbarimg finds in a picture, one per code. The
// picture is enlarged onto a white margin, as a phone camera would see it.
// The code is read as a phone would: on the dark dialog around it, so the
// light margin a reader needs must be the widget's own.
inline QStringList decodeQr(const QImage& image, const QString& name) {
    QImage big(image.width() + 80, image.height() + 80, QImage::Format_RGB32);
    big.fill(QColor(20, 60, 50));
    QPainter p(&big);
    p.drawImage(QRect(40, 40, image.width(), image.height()), image);
    p.end();
    const QString path = testsupport::screenshotDir() + "/" + name;
    EXPECT_TRUE(big.save(path));
    const testsupport::ProcessResult r = testsupport::run("zbarimg", {"--raw", "-q", path});
    QStringList texts;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
        texts << line.trimmed();
    return texts;
}

// The query of an address as Python's urllib reads it (strictly: a broken
// pair fails), in order.
inline QList<QPair<QString, QString>> queryFields(const QString& url) {
    const testsupport::ProcessResult r = testsupport::run(
        "python3",
        {"-c",
         "import sys, json, urllib.parse\n"
         "q = urllib.parse.urlsplit(sys.argv[1]).query\n"
         "print(json.dumps(urllib.parse.parse_qsl(q, keep_blank_values=True, strict_parsing=True)))",
         url});
    QList<QPair<QString, QString>> out;
    for (const QJsonValue& pair : QJsonDocument::fromJson(r.out.toUtf8()).array())
        out << qMakePair(pair.toArray().at(0).toString(), pair.toArray().at(1).toString());
    return out;
}

} // namespace profiletest
