// The client update behind the profile page's update button (offscreen),
// against a recording HTTP server on 127.0.0.1: the check and every answer it
// can get, the offer and its two buttons, the download dialog (progress,
// redirects and their bound, cancelling, quitting, digests, refused names and
// targets), the hand-over to the desktop and the client's end with 0.

#include "core/checkupdateworker.h"
#include "support/httpserver.h"
#include "support/profilefixture.h"
#include "support/updateflow.h"
#include "ui/profile/downloadupdatedialog.h"
#include "ui/profile/mgmtform.h"

#include <QCryptographicHash>
#include <QJsonObject>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace listtest;
using namespace profiletest;
using namespace updatetest;
using testsupport::formValue;
using testsupport::HttpServer;
using testsupport::waitFor;

namespace {

QString sha256Hex(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QByteArray randomBytes(int size, quint32 seed) {
    QRandomGenerator gen(seed);
    QByteArray out(size, '\0');
    for (char& c : out)
        c = char(gen.generate() & 0xff);
    return out;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kName = "taviclient-2.2.0.run";
const QByteArray kPath = "/download/taviclient-2.2.0.run";

class UpdateFlow : public ProfileFixture {
protected:
    void SetUp() override {
        ProfileFixture::SetUp();
        ASSERT_TRUE(server.isListening());
        useService(server.baseAddress());
        forceNetworkState(NetworkState::Connected);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        form = std::make_unique<MgmtForm>(Core::instance()->context());
        form->resize(1200, 700);
        form->show();
        settleJobs();
        server.clear();
    }
    void destroyWidgets() override {
        answerer.reset();
        form.reset();
    }

    // The service's offer of body at path, with the body's digest.
    QJsonObject offerOf(const QString& path, const QByteArray& body) const {
        return {{"status", "update"},
                {"path", path},
                {"version_name", "2.2.0"},
                {"version_code", "2.2.0"},
                {"package_name", "taviclient"},
                {"version_information", QString::fromUtf8("修复问题")},
                {"reason", ""},
                {"sha256", sha256Hex(body)}};
    }
    void answerCheck(const QJsonObject& reply) {
        server.setReply("/api/terminal_upgrade", QJsonDocument(reply).toJson(QJsonDocument::Compact));
    }
    void serve(const QByteArray& path, const QByteArray& body, int chunkBytes = 0, int chunkDelayMs = 0) {
        HttpServer::Reply reply{200, body, "application/octet-stream"};
        reply.chunkBytes = chunkBytes;
        reply.chunkDelayMs = chunkDelayMs;
        server.setReply(path, reply);
    }
    void offerAndServe(const QByteArray& body, int chunkBytes = 0, int chunkDelayMs = 0) {
        answerCheck(offerOf(kPath, body));
        serve(kPath, body, chunkBytes, chunkDelayMs);
    }

    // Presses the update button inside the application's loop, the boxes
    // answered by choose (by default with their reject or only button).
    int press(BoxAnswerer::Choose choose = {}) {
        answerer = std::make_unique<BoxAnswerer>(choose);
        return runInEventLoop(
            [this] { described<QPushButton>(form, "Looks for a newer version of the client")->click(); });
    }
    static BoxAnswerer::Choose updateNow() {
        return [](const SeenBox& b) { return b.buttons.contains("Update") ? QString("Update") : QString(); };
    }
    QStringList boxTexts() const { return answerer ? answerer->texts() : QStringList(); }

    QList<HttpServer::Request> downloads() const {
        QList<HttpServer::Request> out;
        for (const auto& r : server.requests()) {
            if (r.path().startsWith("/download"))
                out << r;
        }
        return out;
    }
    int checks() const { return server.bodies("/api/terminal_upgrade").size(); }
    QString target(const QString& name = kName) const { return paths->tempDir + "/" + name; }
    QStringList tempFiles() const { return testsupport::listTree(paths->tempDir); }
    QString log() const { return root.readLog(); }

    HttpServer server;
    std::unique_ptr<MgmtForm> form;
    std::unique_ptr<BoxAnswerer> answerer;
};

} // namespace

TEST_F(UpdateFlow, NothingShowsTheCurrentVersionWhateverTheOtherFieldsHold) {
    QJsonObject reply = offerOf(QString::fromLatin1(kPath), "x");
    reply["status"] = "nothing";
    answerCheck(reply);
    serve(kPath, "x");
    UrlCatcher opened;
    EXPECT_EQ(press(updateNow()), kFlowReturned);
    ASSERT_EQ(answerer->boxes.size(), 1) << describe(answerer->boxes).toStdString();
    EXPECT_EQ(answerer->boxes[0].title, "update");
    EXPECT_EQ(answerer->boxes[0].text, "Current version is 2.1.0, the latest version!");
    EXPECT_EQ(answerer->boxes[0].icon, QMessageBox::Information);
    EXPECT_TRUE(downloads().isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(opened.urls.isEmpty());
    // The check carried Core's version.
    const auto sent = testsupport::decodeForm(server.bodies("/api/terminal_upgrade").value(0));
    EXPECT_EQ(formValue(sent, "version_code"), "2.1.0");
    EXPECT_EQ(formValue(sent, "imei"), kDevice);
}

TEST_F(UpdateFlow, EachRefusalBeforeTheOfferShowsItsBoxAndDownloadsNothing) {
    struct Case {
        const char* what;
        QByteArray reply; // empty: no service reply at all (a dropped connection)
        const char* text;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {"an empty object", "{}", "query update info failed!", QMessageBox::Critical},
        {"not JSON", "<html>busy</html>", "query update info failed!", QMessageBox::Critical},
        {"a dropped connection", "", "query update info failed!", QMessageBox::Critical},
        {"another status", R"({"status":"fail","path":"/download/x.run"})", "Status mismatch!",
         QMessageBox::Critical},
        {"an update without a path", R"({"status":"update","version_name":"2.2.0"})",
         "Server return empty path!", QMessageBox::Critical},
        {"an update with an empty path", R"({"status":"update","path":""})", "Server return empty path!",
         QMessageBox::Critical},
        {"a path without its slash", R"({"status":"update","path":"download/x.run"})",
         "Server return empty path!", QMessageBox::Critical},
        {"a path that names another host", R"({"status":"update","path":"@127.0.0.2/x.run"})",
         "Server return empty path!", QMessageBox::Critical},
    };
    UrlCatcher opened;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HttpServer::Reply reply{200, c.reply};
        reply.drop = c.reply.isEmpty();
        server.setReply("/api/terminal_upgrade", reply);
        server.clear();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        ASSERT_EQ(answerer->boxes.size(), 1) << describe(answerer->boxes).toStdString();
        EXPECT_EQ(answerer->boxes[0].title, "update");
        EXPECT_EQ(answerer->boxes[0].text, c.text);
        EXPECT_EQ(answerer->boxes[0].icon, c.icon);
        EXPECT_EQ(checks(), 1);
        EXPECT_TRUE(downloads().isEmpty());
        EXPECT_TRUE(tempFiles().isEmpty());
    }
    EXPECT_TRUE(opened.urls.isEmpty());

    // Offline: said at once, nothing asked.
    server.clear();
    forceNetworkState(NetworkState::Disconnected);
    EXPECT_EQ(press(updateNow()), kFlowReturned);
    EXPECT_EQ(boxTexts(), QStringList{"your are offline!"});
    EXPECT_EQ(answerer->boxes.value(0).icon, QMessageBox::Information);
    EXPECT_EQ(checks(), 0);

    // No version to compare: nothing happens at all.
    forceNetworkState(NetworkState::Connected);
    core()->setVersion(QString());
    EXPECT_EQ(press(updateNow()), kFlowReturned);
    EXPECT_TRUE(answerer->boxes.isEmpty());
    EXPECT_EQ(checks(), 0);
}

TEST_F(UpdateFlow, TheOfferNamesTheVersionAndUpdateLaterCreatesNoFile) {
    offerAndServe(randomBytes(5000, 1));
    UrlCatcher opened;
    EXPECT_EQ(press([](const SeenBox&) { return QString("Update later"); }), kFlowReturned);
    ASSERT_EQ(answerer->boxes.size(), 1) << describe(answerer->boxes).toStdString();
    const SeenBox& offer = answerer->boxes[0];
    EXPECT_EQ(offer.title, "update");
    EXPECT_EQ(offer.text, "New version 2.2.0 available!");
    EXPECT_EQ(offer.informative, QString::fromUtf8("info:修复问题"));
    EXPECT_EQ(offer.icon, QMessageBox::Information);
    EXPECT_EQ(offer.buttons, QStringList({"Update", "Update later"}));
    EXPECT_TRUE(downloads().isEmpty());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST_F(UpdateFlow, TheOfferShowsTheServicesWordsAsWrittenAndLongNotesNeverHideTheButtons) {
    QJsonObject offer = offerOf(kPath, randomBytes(100, 1));
    offer["version_name"] = "<h1 style='color:red'>2.2.0</h1><img src='/usr/share/pixmaps/debian-logo.png'>";
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QString("line %1 <b>bold</b>").arg(i);
    offer["version_information"] = lines.join('\n');
    answerCheck(offer);
    EXPECT_EQ(press([](const SeenBox&) { return QString("Update later"); }), kFlowReturned);
    ASSERT_EQ(answerer->boxes.size(), 1) << describe(answerer->boxes).toStdString();
    const SeenBox& seen = answerer->boxes[0];
    EXPECT_EQ(seen.text, "New version " + offer["version_name"].toString() + " available!");
    EXPECT_TRUE(seen.plainText);
    EXPECT_TRUE(seen.onScreen);
    EXPECT_TRUE(seen.informative.startsWith("info:line 1 <b>bold</b>\nline 2"))
        << seen.informative.toStdString();
    EXPECT_LE(seen.informative.count('\n'), 8);
    EXPECT_EQ(seen.details, lines.join('\n')) << "the whole notes in the details";
    EXPECT_EQ(seen.buttons, QStringList({"Update", "Update later", "Show Details..."}));
    EXPECT_TRUE(downloads().isEmpty());
}

TEST_F(UpdateFlow, AMatchingDownloadGoesToTheDesktopAndTheClientEndsWithZero) {
    const QByteArray body = randomBytes(200 * 1024, 2);
    offerAndServe(body);
    // An older file of the same name, larger and read-only, goes first.
    ASSERT_TRUE(testsupport::writeFile(target(), QByteArray(300 * 1024, 'O')));
    QFile::setPermissions(target(), QFileDevice::ReadOwner);
    UrlCatcher opened;
    EXPECT_EQ(press(updateNow()), 0) << "the client asks the application to end with 0";
    EXPECT_EQ(boxTexts(), QStringList{"New version 2.2.0 available!"});
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(target()));
    EXPECT_EQ(opened.contents[0].size(), body.size());
    EXPECT_TRUE(opened.contents[0] == body) << "the file holds exactly what was served";
    const auto got = downloads();
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got[0].method, "GET");
    EXPECT_EQ(got[0].target, kPath);
    EXPECT_EQ(got[0].header("User-Agent"), "Fake User");
    EXPECT_EQ(tempFiles(), QStringList{kName});

    // Without a digest in the reply the file is opened as it came; a digest in
    // capitals matches as well.
    QFile::remove(target());
    QJsonObject reply = offerOf(QString::fromLatin1(kPath), body);
    reply.remove("sha256");
    answerCheck(reply);
    EXPECT_EQ(press(updateNow()), 0);
    reply["sha256"] = sha256Hex(body).toUpper();
    answerCheck(reply);
    EXPECT_EQ(press(updateNow()), 0);
    ASSERT_EQ(opened.urls.size(), 3);
    EXPECT_TRUE(opened.contents[1] == body && opened.contents[2] == body);
}

TEST_F(UpdateFlow, AFileThatDoesNotMatchItsDigestIsDeletedAndNeverOpened) {
    const QByteArray body = randomBytes(64 * 1024, 3);
    serve(kPath, body);
    UrlCatcher opened;
    const QJsonValue digests[] = {sha256Hex(body + "x"), "xyz", "", 5};
    for (const QJsonValue& digest : digests) {
        SCOPED_TRACE(QJsonDocument(QJsonArray{digest}).toJson().toStdString());
        QJsonObject reply = offerOf(QString::fromLatin1(kPath), body);
        reply["sha256"] = digest;
        answerCheck(reply);
        const QString before = log();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "download file failed!"}));
        EXPECT_EQ(answerer->boxes.value(1).title, "update");
        EXPECT_EQ(answerer->boxes.value(1).icon, QMessageBox::Critical);
        EXPECT_TRUE(tempFiles().isEmpty()) << tempFiles().join(",").toStdString();
        const QString said = log().mid(before.size());
        EXPECT_TRUE(said.contains("does not match the sha256")) << said.toStdString();
        EXPECT_TRUE(said.contains("ERROR - download failed"));
        EXPECT_TRUE(said.contains("urlStr:" + server.baseAddress() + QString::fromLatin1(kPath)));
        EXPECT_TRUE(said.contains("updateFilePath:" + target()));
    }
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST_F(UpdateFlow, ARedirectRestartsIntoTheSameEmptiedFile) {
    const QByteArray finalBody = "the installer itself";
    const quint16 port = server.port();
    // Two redirects with bodies longer than the file: a relative one, then an absolute one.
    server.setResponder([port, finalBody](const HttpServer::Request& r, HttpServer::Reply* out) {
        if (r.target == "/download/taviclient-2.2.0.run") {
            *out = HttpServer::Reply{302, QByteArray(5000, 'R'), "text/plain"};
            out->headers << qMakePair(QByteArray("Location"), QByteArray("b/next.run?hop=1"));
            return true;
        }
        if (r.target == "/download/b/next.run?hop=1") {
            *out = HttpServer::Reply{302, QByteArray(3000, 'S'), "text/plain"};
            out->headers << qMakePair(QByteArray("Location"),
                                      "http://127.0.0.1:" + QByteArray::number(port) + "/files/last.bin");
            return true;
        }
        if (r.target == "/files/last.bin") {
            *out = HttpServer::Reply{200, finalBody, "application/octet-stream"};
            return true;
        }
        return false;
    });
    answerCheck(offerOf(QString::fromLatin1(kPath), finalBody));
    UrlCatcher opened;
    EXPECT_EQ(press(updateNow()), 0);
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(target())) << "the name comes from the address offered";
    EXPECT_EQ(opened.contents[0], finalBody);
    QStringList asked;
    for (const auto& r : server.requests()) {
        if (!r.path().startsWith("/api/"))
            asked << QString::fromLatin1(r.target);
    }
    EXPECT_EQ(asked,
              QStringList({QString::fromLatin1(kPath), "/download/b/next.run?hop=1", "/files/last.bin"}));
    for (const auto& r : server.requests()) {
        if (!r.path().startsWith("/api/")) {
            EXPECT_EQ(r.header("User-Agent"), "Fake User") << r.target.data();
        }
    }
}

TEST_F(UpdateFlow, RedirectsAreFollowedTenTimesAndOnlyToHttp) {
    // n redirects before the file; -1 for ever; a Location of another scheme.
    int hops = 0;
    QByteArray elsewhere;
    server.setResponder([&hops, &elsewhere](const HttpServer::Request& r, HttpServer::Reply* out) {
        if (!r.path().startsWith("/download/"))
            return false;
        const int hop = r.target.contains("?n=") ? r.target.mid(r.target.indexOf("?n=") + 3).toInt() : 0;
        if (!elsewhere.isEmpty()) {
            *out = HttpServer::Reply{302, "go", "text/plain"};
            out->headers << qMakePair(QByteArray("Location"), elsewhere);
        } else if (hops < 0 || hop < hops) {
            *out = HttpServer::Reply{302, "redirecting\n", "text/plain"};
            out->headers << qMakePair(QByteArray("Location"),
                                      "/download/taviclient-2.2.0.run?n=" + QByteArray::number(hop + 1));
        } else {
            *out = HttpServer::Reply{200, "final", "application/octet-stream"};
        }
        return true;
    });
    answerCheck(offerOf(QString::fromLatin1(kPath), "final"));
    UrlCatcher opened;

    hops = 10;
    EXPECT_EQ(press(updateNow()), 0) << "ten redirects are still followed";
    EXPECT_EQ(downloads().size(), 11);
    ASSERT_EQ(opened.contents.size(), 1);
    EXPECT_EQ(opened.contents[0], "final");
    QFile::remove(target());

    for (int h : {11, -1}) {
        SCOPED_TRACE(h);
        hops = h;
        server.clear();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "download file failed!"}));
        EXPECT_EQ(downloads().size(), 11) << "the first request and ten redirects, then no more";
        EXPECT_TRUE(tempFiles().isEmpty());
    }
    for (const QByteArray& scheme : {QByteArray("file:///etc/hostname"), QByteArray("ftp://127.0.0.1/x.run"),
                                     QByteArray("data:,installer")}) {
        SCOPED_TRACE(scheme.toStdString());
        elsewhere = scheme;
        server.clear();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "download file failed!"}));
        EXPECT_EQ(downloads().size(), 1);
        EXPECT_TRUE(tempFiles().isEmpty());
    }
    EXPECT_EQ(opened.urls.size(), 1);
}

TEST_F(UpdateFlow, HttpErrorsAndLostConnectionsAreNetworkErrors) {
    answerCheck(offerOf(QString::fromLatin1(kPath), "x"));
    UrlCatcher opened;
    HttpServer::Reply missing{404, "not here", "text/plain"};
    HttpServer::Reply broken{500, "oops", "text/plain"};
    HttpServer::Reply dropped{200, "x"};
    dropped.drop = true;
    for (const HttpServer::Reply& reply : {missing, broken, dropped}) {
        SCOPED_TRACE(reply.status);
        server.setReply(kPath, reply);
        const QString before = log();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "download file failed!"}));
        EXPECT_TRUE(tempFiles().isEmpty());
        const QString said = log().mid(before.size());
        EXPECT_TRUE(said.contains("DEBUG - httpFinished"));
        EXPECT_TRUE(said.contains("ERROR - download failed"));
    }
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST_F(UpdateFlow, AStalledDownloadFailsButASlowOneThatMovesFinishes) {
    struct Bound {
        const int saved = DownloadUpdateDialog::stallTimeoutMs();
        Bound() { DownloadUpdateDialog::setStallTimeoutMs(700); }
        ~Bound() { DownloadUpdateDialog::setStallTimeoutMs(saved); }
    } bound;
    UrlCatcher opened;
    // The first piece comes, then nothing for longer than the bound.
    const QByteArray stalled = randomBytes(64 * 1024, 7);
    offerAndServe(stalled, 16 * 1024, 3000);
    const QString before = log();
    EXPECT_EQ(press(updateNow()), kFlowReturned);
    EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "download file failed!"}));
    EXPECT_TRUE(tempFiles().isEmpty()) << "no partial file stays";
    EXPECT_TRUE(log().mid(before.size()).contains("received nothing for 700 ms; given up"));
    EXPECT_TRUE(opened.urls.isEmpty());

    // Pieces every 250 ms take well over the bound in all, but each restarts it.
    const QByteArray slow = randomBytes(8 * 1024, 8);
    offerAndServe(slow, 1024, 250);
    EXPECT_EQ(press(updateNow()), 0);
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_TRUE(opened.contents[0] == slow);
}

TEST_F(UpdateFlow, CancellingOrClosingRemovesThePartialFileAndSaysNothing) {
    const QByteArray body = randomBytes(600 * 1024, 4);
    offerAndServe(body, 8 * 1024, 15);
    UrlCatcher opened;
    const std::function<void(DownloadUpdateDialog*)> ways[] = {
        [](DownloadUpdateDialog* d) { named<QPushButton>(d, "cancelBtn")->click(); },
        [](DownloadUpdateDialog* d) { d->close(); },
        [](DownloadUpdateDialog* d) { QTest::keyClick(d, Qt::Key_Escape); },
    };
    int way = 0;
    for (const auto& stop : ways) {
        SCOPED_TRACE(way++);
        qint64 partial = -1;
        int percent = -1;
        bool looked = false;
        onNextModal<DownloadUpdateDialog>([&](DownloadUpdateDialog* d) {
            looked = true;
            EXPECT_EQ(d->windowTitle(), "Download update");
            EXPECT_EQ(d->size(), QSize(400, 81));
            EXPECT_EQ(named<QPushButton>(d, "cancelBtn")->text(), "Cancel");
            EXPECT_LT(named<QProgressBar>(d, "progressBar")->geometry().bottom(),
                      named<QPushButton>(d, "cancelBtn")->geometry().top())
                << "the bar above the button";
            EXPECT_GT(named<QPushButton>(d, "cancelBtn")->geometry().left(), d->width() / 2)
                << "the button on the right";
            // The network reports progress at most every 100 ms.
            EXPECT_TRUE(waitFor([&] { return named<QProgressBar>(d, "progressBar")->value() > 0; }, 10000));
            partial = QFileInfo(target()).size();
            percent = named<QProgressBar>(d, "progressBar")->value();
            stop(d);
        });
        const QString before = log();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        ASSERT_TRUE(looked);
        EXPECT_GT(partial, 0);
        EXPECT_LT(partial, body.size()) << "stopped half-way";
        EXPECT_GT(percent, 0);
        EXPECT_LT(percent, 100);
        EXPECT_EQ(boxTexts(), QStringList{"New version 2.2.0 available!"}) << "no message for a stop";
        EXPECT_FALSE(QFileInfo::exists(target()));
        EXPECT_TRUE(tempFiles().isEmpty());
        const QString said = log().mid(before.size());
        EXPECT_TRUE(said.contains("DEBUG - stop downloading"));
        EXPECT_TRUE(said.contains("ERROR - download failed"));
        EXPECT_TRUE(said.contains("updateFilePath:" + target()));
    }
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST_F(UpdateFlow, TheClientQuittingWhileItDownloadsLeavesNoFile) {
    const QByteArray body = randomBytes(600 * 1024, 5);
    offerAndServe(body, 8 * 1024, 15);
    UrlCatcher opened;
    qint64 partial = -1;
    onNextModal<DownloadUpdateDialog>([&](DownloadUpdateDialog*) {
        EXPECT_TRUE(waitFor([&] { return QFileInfo(target()).size() > 16 * 1024; }, 10000));
        partial = QFileInfo(target()).size();
        // What a terminate signal or the session's end does to the client.
        QCoreApplication::quit();
    });
    EXPECT_EQ(press(updateNow()), 0);
    EXPECT_GT(partial, 0);
    EXPECT_LT(partial, body.size());
    EXPECT_TRUE(tempFiles().isEmpty());
    EXPECT_TRUE(opened.urls.isEmpty()) << "a file cut short is never opened";
    EXPECT_TRUE(log().contains("while downloading; " + target() + " removed"));
}

TEST_F(UpdateFlow, ANameThatIsNoPlainFileWritesNothing) {
    const char* offered[] = {"/download/..",
                             "/download/",
                             "/download/..%2F..%2Fevil.run",
                             "/download/%2E%2E",
                             "/download/a%5C..%5Cevil.run",
                             "/download/a%2Fevil.run"};
    UrlCatcher opened;
    for (const char* path : offered) {
        SCOPED_TRACE(path);
        answerCheck(offerOf(path, "x"));
        serve(path, "evil");
        server.clear();
        EXPECT_EQ(press(updateNow()), kFlowReturned);
        EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "open file failed!"}));
        EXPECT_EQ(answerer->boxes.value(1).title, "update");
        EXPECT_TRUE(downloads().isEmpty());
        EXPECT_TRUE(tempFiles().isEmpty());
        EXPECT_TRUE(testsupport::listTree(root.root()).filter("evil").isEmpty());
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(root.root()).absolutePath() + "/evil.run"));
    }
    EXPECT_TRUE(opened.urls.isEmpty());
}

TEST_F(UpdateFlow, AHandOverThatFailsSaysSoAndTheClientStillEnds) {
    const QByteArray body = randomBytes(1000, 6);
    offerAndServe(body);
    UrlCatcher refusing(true);
    EXPECT_EQ(press(updateNow()), 0);
    EXPECT_EQ(boxTexts(), QStringList({"New version 2.2.0 available!", "create install process failed!"}));
    EXPECT_EQ(answerer->boxes.value(1).icon, QMessageBox::Critical);
    EXPECT_TRUE(log().contains("ERROR - install failed"));
}

TEST_F(UpdateFlow, TheDialogRefusesAnEmptyOrUnusableTarget) {
    const QString address = server.baseAddress() + QString::fromLatin1(kPath);
    serve(kPath, "x");
    ASSERT_TRUE(QDir().mkpath(target("a-folder")));
    ASSERT_TRUE(testsupport::writeFile(target("a-folder/keep"), "mine"));
    struct Case {
        QString file;
        const char* text;
    };
    const Case cases[] = {
        {QString(), "empty path!"},
        {paths->tempDir + "/..", "open file failed!"},
        {paths->tempDir + "/.", "open file failed!"},
        {paths->tempDir + "/", "open file failed!"},
        {target("a-folder"), "open file failed!"},
        {paths->tempDir + "/no-such-folder/x.run", "open file failed!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        BoxAnswerer boxes;
        DownloadUpdateDialog dialog(address, c.file);
        EXPECT_FALSE(dialog.startDownload());
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].title, "update");
        EXPECT_EQ(boxes.boxes[0].text, c.text);
        EXPECT_EQ(dialog.taskResult(), -1);
    }
    EXPECT_TRUE(downloads().isEmpty());
    EXPECT_EQ(testsupport::readFile(target("a-folder/keep")), "mine");
    EXPECT_EQ(tempFiles(), QStringList({"a-folder/", "a-folder/keep"}));
}

TEST_F(UpdateFlow, TheBarShowsThePercentOfTheTotal) {
    DownloadUpdateDialog dialog(server.baseAddress() + "/x", target());
    QProgressBar* bar = named<QProgressBar>(dialog, "progressBar");
    EXPECT_EQ(bar->value(), 0);
    dialog.updateDataReadProgress(50, 200);
    EXPECT_EQ(bar->value(), 25);
    dialog.updateDataReadProgress(0, 0);
    EXPECT_EQ(bar->value(), 0);
    dialog.updateDataReadProgress(3'000'000'000LL, 4'000'000'000LL);
    EXPECT_EQ(bar->value(), 75) << "64-bit arithmetic";
    dialog.updateDataReadProgress(10, -1);
    EXPECT_EQ(bar->value(), 0) << "an unknown total";
    dialog.updateDataReadProgress(300, 200);
    EXPECT_EQ(bar->value(), 100);

    // A whole download ends at 100, reported through taskFinished(0).
    const QByteArray body = randomBytes(256 * 1024, 7);
    serve("/x", body, 32 * 1024, 5);
    QSignalSpy finished(&dialog, &DownloadUpdateDialog::taskFinished);
    int shownAtEnd = -1;
    QObject::connect(&dialog, &DownloadUpdateDialog::taskFinished, [&] { shownAtEnd = bar->value(); });
    EXPECT_TRUE(dialog.startDownload());
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), DownloadUpdateDialog::Saved);
    EXPECT_EQ(shownAtEnd, 100);
    EXPECT_EQ(fileBytes(target()), body);
    EXPECT_EQ(dialog.currentUrl(), QUrl(server.baseAddress() + "/x"));
}

TEST_F(UpdateFlow, TheCheckJobReportsZeroOnlyForAUsableReply) {
    _UpdateInfo info;
    CheckUpdateWorker job("2.1.0", &info);
    EXPECT_EQ(job.name(), "update");
    EXPECT_EQ(job.errorString(1), "query update info failed!");
    EXPECT_EQ(job.errorString(2), "unknown error!");
    EXPECT_FALSE(job.reportsProgress());

    QSignalSpy started(&job, &Worker::started);
    QSignalSpy finished(&job, &Worker::finished);
    server.setReply("/api/terminal_upgrade", R"({"status":"update","path":"/d/x.run","sha256":"ab"})");
    job.doWork();
    ASSERT_EQ(finished.size(), 1);
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(finished[0][0].toInt(), 0);
    EXPECT_EQ(info.status, "update");
    EXPECT_EQ(info.path, "/d/x.run");
    EXPECT_TRUE(info.hasSha256);
    EXPECT_EQ(info.sha256, "ab");
    EXPECT_EQ(
        formValue(testsupport::decodeForm(server.bodies("/api/terminal_upgrade").last()), "version_code"),
        "2.1.0");

    for (const QByteArray& reply : {QByteArray("{}"), QByteArray("[]"), QByteArray("nope")}) {
        server.setReply("/api/terminal_upgrade", reply);
        job.doWork();
        EXPECT_EQ(finished.last()[0].toInt(), 1) << reply.data();
    }
    NetClient* saved = core()->netClient();
    core()->setNetClient(nullptr);
    job.doWork();
    EXPECT_EQ(finished.last()[0].toInt(), 1);
    core()->setNetClient(saved);
}
