// What the client update decides around its download: the address made from
// the service's path, the file name taken from it, the redirects it follows,
// the digest check, the reply member that carries the digest, and the whole
// flow from the check to the hand-over without any widget.

#include "core/updatecontroller.h"
#include "online/netclient.h"
#include "online/netreply.h"
#include "online/updatedownload.h"
#include "platform/network.h"
#include "support/cataloguefixture.h"
#include "support/httpserver.h"
#include "support/testsupport.h"
#include "support/updatesupport.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(UpdateAddress, ThePathFollowsTheBaseAndMustStayOnTheService) {
    const QString base = "http://127.0.0.1:8765";
    EXPECT_EQ(updateDownloadUrl(base, "/download/a.run"), QUrl("http://127.0.0.1:8765/download/a.run"));
    EXPECT_EQ(updateDownloadUrl(base, "/download/a.run?v=2"),
              QUrl("http://127.0.0.1:8765/download/a.run?v=2"));
    EXPECT_EQ(updateDownloadUrl("http://api.tavinet.cn", "/d/x.deb").toString(),
              "http://api.tavinet.cn/d/x.deb");
    // "//" after the authority is still a path on the same host.
    EXPECT_EQ(updateDownloadUrl(base, "//elsewhere/x.run").host(), "127.0.0.1");
    for (const char* path : {"", "download/a.run", "@127.0.0.2/x.run", ":9/x.run", ".elsewhere/x", "?x"}) {
        EXPECT_FALSE(updateDownloadUrl(base, path).isValid()) << path;
    }
    EXPECT_FALSE(updateDownloadUrl(QString(), "/download/a.run").isValid()) << "no service, no download";
}

TEST(UpdateAddress, TheFileNameIsTheLastSegmentDecodedAndPlain) {
    auto nameOf = [](const char* address) { return updateFileName(QUrl(QString::fromUtf8(address))); };
    EXPECT_EQ(nameOf("http://h/download/taviclient-2.2.0.run"), "taviclient-2.2.0.run");
    EXPECT_EQ(nameOf("http://h/download/tavi%20assistant_2.2.0_amd64.deb"), "tavi assistant_2.2.0_amd64.deb");
    EXPECT_EQ(nameOf("http://h/download/%E5%8A%A9%E6%89%8B.deb"), QString::fromUtf8("助手.deb"));
    EXPECT_EQ(nameOf("http://h/a.run?x=/y/z"), "a.run") << "the query is no part of the name";
    for (const char* address :
         {"http://h/download/", "http://h", "http://h/download/..", "http://h/download/.",
          "http://h/download/%2E%2E", "http://h/download/..%2F..%2Fevil.run", "http://h/download/a%2Fb.run",
          "http://h/download/a%5Cb.run", "http://h/download/a%00b.run"}) {
        EXPECT_TRUE(nameOf(address).isEmpty()) << address;
    }
    EXPECT_TRUE(isPlainFileName(".hidden"));
    EXPECT_TRUE(isPlainFileName("..."));
    EXPECT_FALSE(isPlainFileName(".."));
    EXPECT_FALSE(isPlainFileName(QString()));
}

TEST(UpdateAddress, RedirectsGoOnlyToHttpOrHttps) {
    EXPECT_TRUE(isFollowableRedirect(QUrl("http://127.0.0.1:9/x")));
    EXPECT_TRUE(isFollowableRedirect(QUrl("HTTPS://mirror.example/x")));
    for (const char* url :
         {"file:///etc/passwd", "ftp://127.0.0.1/x", "data:,x", "qrc:/images/x", "http:///x", ""})
        EXPECT_FALSE(isFollowableRedirect(QUrl(url))) << url;
    EXPECT_EQ(kMaxUpdateRedirects, 10);
}

TEST(UpdateDigest, TheFileMustHaveTheNamedDigest) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/setup.run";
    const QByteArray body = "installer bytes";
    ASSERT_TRUE(testsupport::writeFile(path, body));
    const QString hex =
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex());
    EXPECT_TRUE(fileMatchesSha256(path, hex));
    EXPECT_TRUE(fileMatchesSha256(path, hex.toUpper()));
    EXPECT_FALSE(fileMatchesSha256(path, " " + hex));
    EXPECT_FALSE(fileMatchesSha256(path, hex.left(63)));
    EXPECT_FALSE(fileMatchesSha256(path, QString()));
    EXPECT_FALSE(fileMatchesSha256(dir.path() + "/missing.run", hex));
    ASSERT_TRUE(testsupport::writeFile(path, body + "!"));
    EXPECT_FALSE(fileMatchesSha256(path, hex));
}

TEST(UpdateDigest, TheReplyCarriesTheSignedMembersBesideTheSevenFields) {
    _UpdateInfo info;
    ASSERT_EQ(
        readCheckUpdateReply(
            R"({"status":"update","path":"/d/x","sha256":"AB12","size":"12","signature":"c2ln"})", &info),
        NET_OK);
    EXPECT_EQ(info.sha256, "AB12");
    EXPECT_EQ(info.size, "12");
    EXPECT_EQ(info.signature, "c2ln");

    // A size may come as a whole number; anything else is no size (and no
    // signature holds for it).
    const std::pair<const char*, const char*> sizes[] = {{R"({"size":4096})", "4096"},
                                                         {R"({"size":-1})", ""},
                                                         {R"({"size":1.5})", ""},
                                                         {R"({"size":true})", ""}};
    for (const auto& [reply, size] : sizes) {
        _UpdateInfo sized;
        ASSERT_EQ(readCheckUpdateReply(reply, &sized), NET_OK);
        EXPECT_EQ(sized.size, size) << reply;
    }
    _UpdateInfo odd;
    ASSERT_EQ(readCheckUpdateReply(R"({"status":"update","sha256":7})", &odd), NET_OK);
    EXPECT_TRUE(odd.sha256.isEmpty());
    QString why;
    EXPECT_FALSE(isSignedOffer(odd, "x.run", trustedUpdateKeys(), &why));
    EXPECT_EQ(why, "the offer carries no signature");
    EXPECT_FALSE(trustedUpdateKeys().isEmpty());
}

namespace {

// The flow's view with no widget: it records what it is told, runs the check
// job where it stands and waits for the download to end.
class RecordingView : public UpdateView {
public:
    bool runCheck(const WorkerPtr& job) override {
        int result = -1;
        QObject::connect(job.data(), &Worker::finished, [&result](int r) { result = r; });
        job->doWork();
        return result == 0;
    }
    void tell(Message message, const QString&) override { told << message; }
    bool offer(const _UpdateInfo&) override {
        ++offers;
        return accept;
    }
    void showDownload(UpdateDownloader& downloader) override {
        QEventLoop loop;
        QObject::connect(&downloader, &UpdateDownloader::finished, &loop, &QEventLoop::quit);
        if (downloader.isRunning())
            loop.exec();
    }

    bool accept = true;
    int offers = 0;
    QList<Message> told;
};

class UpdateFlowWithoutWidgets : public listtest::CatalogueFixture {};

} // namespace

TEST_F(UpdateFlowWithoutWidgets, EndsAsTheServiceAndTheReleaseKeySay) {
    testsupport::HttpServer server;
    ASSERT_TRUE(server.isListening());
    Core* core = Core::instance();
    core->setVersion("2.1.0");
    NetClient net(server.baseAddress(), "02:00:00:00:00:01", "2.1.0", core->userRecord());
    core->setNetClient(&net);
    forceNetworkState(NetworkState::Connected);
    // Bytes no type sniffing takes for text: the desktop sees an installer.
    QByteArray installer(4096, '\0');
    for (int i = 0; i < installer.size(); ++i)
        installer[i] = char(i * 37 + 11);
    const QString path = "/download/taviclient-2.2.0.run";
    QJsonObject signedOffer{{"status", "update"}, {"path", path}};
    const QJsonObject members = updatetest::signedMembers(installer, "2.2.0", "taviclient-2.2.0.run");
    ASSERT_FALSE(members.isEmpty());
    for (auto it = members.begin(); it != members.end(); ++it)
        signedOffer[it.key()] = it.value();
    QJsonObject unsignedOffer = signedOffer;
    unsignedOffer.remove("signature");

    struct Case {
        const char* what;
        QJsonObject reply;
        QByteArray served;
        bool accept;
        UpdateController::Outcome outcome;
        QList<UpdateView::Message> told;
        int offers;
    };
    const Case cases[] = {
        {"the latest",
         {{"status", "nothing"}},
         {},
         true,
         UpdateController::UpToDate,
         {UpdateView::Latest},
         0},
        {"another status",
         {{"status", "fail"}},
         {},
         true,
         UpdateController::Mismatch,
         {UpdateView::StatusMismatch},
         0},
        {"no path", {{"status", "update"}}, {}, true, UpdateController::NoPath, {UpdateView::EmptyPath}, 0},
        {"no signature",
         unsignedOffer,
         installer,
         true,
         UpdateController::NotSigned,
         {UpdateView::NotSigned},
         0},
        {"declined", signedOffer, installer, false, UpdateController::Declined, {}, 1},
        {"other bytes served",
         signedOffer,
         installer + "!",
         true,
         UpdateController::NotSigned,
         {UpdateView::NotSigned},
         1},
        {"the signed installer", signedOffer, installer, true, UpdateController::HandedOver, {}, 1},
    };
    updatetest::UrlCatcher opened;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.setReply("/api/terminal_upgrade", QJsonDocument(c.reply).toJson(QJsonDocument::Compact));
        server.setReply(path.toUtf8(), {200, c.served, "application/octet-stream"});
        RecordingView view;
        view.accept = c.accept;
        EXPECT_EQ(UpdateController(core->context()).run(view), c.outcome);
        EXPECT_EQ(view.told, c.told);
        EXPECT_EQ(view.offers, c.offers);
        if (c.outcome != UpdateController::HandedOver)
            EXPECT_TRUE(testsupport::listTree(paths->tempDir).isEmpty()) << "nothing is left in temp";
    }
    // Only the signed installer reached the desktop, byte for byte.
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0].toLocalFile(), paths->tempDir + "/taviclient-2.2.0.run");
    EXPECT_EQ(opened.contents.value(0), installer);

    // Offline nothing is asked.
    server.clear();
    forceNetworkState(NetworkState::Disconnected);
    RecordingView offline;
    EXPECT_EQ(UpdateController(core->context()).run(offline), UpdateController::WasOffline);
    EXPECT_EQ(offline.told, QList<UpdateView::Message>{UpdateView::Offline});
    EXPECT_TRUE(server.requests().isEmpty());
    forceNetworkState(NetworkState::Unforced);
    core->setNetClient(nullptr);
}
