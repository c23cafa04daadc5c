// Core's user: loaded from the catalogue with its names from the region
// cache, refreshed and updated through the development service, the two
// profile jobs on a worker thread of their own, and the profile page's checks,
// submit and kept draft without any widget.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "core/core.h"
#include "core/profilecontroller.h"
#include "core/refreshuserinfoworker.h"
#include "core/updateuserinfoworker.h"
#include "online/netclient.h"
#include "online/offlinedb.h"
#include "platform/log.h"
#include "support/cataloguefixture.h"
#include "support/devservice.h"
#include "support/httpserver.h"
#include "support/testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

using testsupport::DevService;
using testsupport::waitFor;

namespace {

const QString kDevice = "02:00:00:00:00:01";

class CoreUserTest : public listtest::CatalogueFixture {
protected:
    void SetUp() override {
        CatalogueFixture::SetUp();
        if (HasFatalFailure())
            return;
        const QString cachePath = root.appDir() + "/offline.db";
        ASSERT_TRUE(QFile::copy(QString(TAVI_CLIENT_BUILD_DIR) + "/offline.db", cachePath));
        QFile::setPermissions(cachePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        cache = std::make_unique<OfflineDB>(cachePath, "offline");
        ASSERT_TRUE(cache->open());
        core = Core::instance();
        core->setCurrentUser(TaviUser());
        core->setDeviceId(kDevice);
        core->setVersion("2.1.0");
        core->setOfflineDb(cache.get());
    }
    void TearDown() override {
        worker.quit();
        worker.wait();
        core->setWorkerThread(nullptr);
        core->setNetClient(nullptr);
        core->setOfflineDb(nullptr);
        core->setCurrentUser(TaviUser());
        net.reset();
        cache.reset();
        CatalogueFixture::TearDown();
    }
    void useService(const QString& base) {
        net = std::make_unique<NetClient>(base, kDevice, core->version(), core->userRecord());
        core->setNetClient(net.get());
    }
    // The service, and Core's worker thread running until the test ends.
    void useServiceOnWorker(const DevService& service) {
        ASSERT_TRUE(service.isRunning());
        useService(service.baseAddress());
        core->setWorkerThread(&worker);
        worker.start();
    }
    void addSchool(int id, const QString& name, int city) {
        _SchoolInfo s{id, name, city};
        ASSERT_TRUE(cache->addSchool(&s));
    }
    TaviUser stored() {
        TaviUser u;
        EXPECT_TRUE(db->getUser(&u));
        return u;
    }
    QStringList paths_of(const DevService& service) {
        QStringList out;
        for (const QJsonValue& r : service.requests())
            out << r.toObject().value("path").toString();
        return out;
    }

    std::unique_ptr<OfflineDB> cache;
    QThread worker;
    std::unique_ptr<NetClient> net;
    Core* core = nullptr;
};

} // namespace

TEST_F(CoreUserTest, LoadingTheUserNamesItsNumbersThroughTheCache) {
    QSignalSpy loaded(core, &Core::userLoaded);
    core->loadUser();
    EXPECT_EQ(core->userSnapshot().userId, 0);
    EXPECT_EQ(loaded.count(), 0) << "no stored user, no announcement";

    addSchool(1004, QString::fromUtf8("阳光幼儿园"), 110105);
    TaviUser user;
    user.userId = 10001;
    user.name = "Li";
    user.province = 110000;
    user.city = 110105;
    user.school = 1004;
    ASSERT_TRUE(db->updateUser(&user));
    core->loadUser();
    TaviUser now = core->userSnapshot();
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(now.userId, 10001);
    EXPECT_EQ(now.provinceName, QString::fromUtf8("北京市"));
    EXPECT_EQ(now.cityName, QString::fromUtf8("朝阳区"));
    EXPECT_EQ(now.schoolName, QString::fromUtf8("阳光幼儿园"));
    EXPECT_FALSE(core->userOnline());

    // School 0 is the typed one; a number the cache does not know has no name.
    user.school = 0;
    user.otherSchool = "Little Stars";
    user.city = 999999;
    ASSERT_TRUE(db->updateUser(&user));
    core->loadUser();
    now = core->userSnapshot();
    EXPECT_EQ(now.schoolName, "Little Stars");
    EXPECT_TRUE(now.cityName.isEmpty());
    EXPECT_EQ(now.provinceName, QString::fromUtf8("北京市"));

    // Without a cache the names are empty rather than stale.
    core->setOfflineDb(nullptr);
    user.school = 1004;
    ASSERT_TRUE(db->updateUser(&user));
    core->loadUser();
    EXPECT_TRUE(core->userSnapshot().schoolName.isEmpty());
    EXPECT_TRUE(core->userSnapshot().provinceName.isEmpty());
}

TEST_F(CoreUserTest, TheOnlineRefreshLogsInFirstNamesThroughTheCacheAndStores) {
    DevService service;
    ASSERT_TRUE(service.isRunning()) << service.error().toStdString();
    useService(service.baseAddress());
    // The service's account gets a profile first (as another client would have sent it).
    ASSERT_EQ(net->login(), NET_OK);
    DataSet<_SchoolInfo> schools;
    ASSERT_EQ(net->getSchools(110105, &schools), NET_OK);
    ASSERT_FALSE(schools.isEmpty());
    TaviUser profile;
    profile.uid = core->userSnapshot().uid;
    profile.name = QString::fromUtf8("王老师");
    profile.province = 110000;
    profile.city = 110105;
    profile.school = schools.first()->id;
    profile.qq = "12345";
    profile.mobile = "13800000000";
    ASSERT_EQ(net->updateUserInfo(&profile), NET_OK);
    // This machine's cache knows the school under its own name, which wins.
    addSchool(profile.school, "Cached Name", 110105);

    core->setCurrentUser(TaviUser());
    service.clearRequests();
    QSignalSpy loaded(core, &Core::userLoaded);
    EXPECT_EQ(core->getUserInfoOnline(), 0);
    EXPECT_EQ(paths_of(service), QStringList({"/api/user_login", "/api/query_userInfo"}));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_TRUE(core->userOnline());
    const TaviUser now = core->userSnapshot();
    EXPECT_EQ(now.name, QString::fromUtf8("王老师"));
    EXPECT_EQ(now.schoolName, "Cached Name");
    EXPECT_EQ(now.cityName, QString::fromUtf8("朝阳区"));
    EXPECT_EQ(now.qq, "12345");
    const TaviUser saved = stored();
    EXPECT_EQ(saved.userId, now.userId);
    EXPECT_EQ(saved.name, now.name);
    EXPECT_EQ(saved.school, profile.school);
    EXPECT_EQ(saved.mobile, "13800000000");

    // With a uid there is no second login.
    service.clearRequests();
    EXPECT_EQ(core->getUserInfoOnline(), 0);
    EXPECT_EQ(paths_of(service), QStringList({"/api/query_userInfo"}));
}

TEST_F(CoreUserTest, AFailedRefreshSaysSoAndChangesNothing) {
    DevService service;
    ASSERT_TRUE(service.isRunning());
    useService(service.baseAddress());
    TaviUser local;
    local.userId = 3;
    local.name = "Local";
    ASSERT_TRUE(db->updateUser(&local));
    core->loadUser();
    ASSERT_TRUE(service.control(QJsonObject{{"fail", QJsonObject{{"/api/query_userInfo", "status"}}}}));
    QSignalSpy loaded(core, &Core::userLoaded);
    EXPECT_EQ(core->getUserInfoOnline(), NET_STATUS_FAILED);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_FALSE(core->userOnline());
    EXPECT_FALSE(core->userSnapshot().uid.isEmpty()) << "the login before it went through";
    EXPECT_EQ(stored().name, "Local");

    service.stop();
    EXPECT_EQ(core->getUserInfoOnline(), NET_POST_FAILED);
    core->setNetClient(nullptr);
    EXPECT_EQ(core->getUserInfoOnline(), NET_POST_FAILED) << "no service client, no crash";
}

// Odd replies: an id sent as a JSON number reads as 0, and a fresh account
// for the same device has no profile. Neither adds a second user row nor
// blanks the profile stored here; the next offline start still shows it.
TEST_F(CoreUserTest, AReplyWithoutAProfileNeverBlanksTheStoredOneAndOneUserRowStays) {
    TaviUser local;
    local.userId = 3;
    local.uid = "tv-3";
    local.name = "Local";
    local.qq = "555";
    local.mobile = "13900000000";
    local.school = 0;
    local.otherSchool = "Stars";
    ASSERT_TRUE(db->updateUser(&local));
    core->setCurrentUser(local);
    testsupport::HttpServer server;
    ASSERT_TRUE(server.isListening());
    useService(server.baseAddress());
    for (const QByteArray& reply : {QByteArray(R"({"id": 3, "uid": "tv-3", "name": "Local", "qq": "555"})"),
                                    QByteArray(R"({"id": "77", "uid": "tv-3", "name": "", "qq": ""})")}) {
        server.setReply("/api/query_userInfo", reply);
        EXPECT_EQ(core->getUserInfoOnline(), 0) << reply.toStdString();
        QSqlQuery rows(QSqlDatabase::database("default"));
        ASSERT_TRUE(rows.exec("select count(*) from UserTbl where flag='local'") && rows.next());
        EXPECT_EQ(rows.value(0).toInt(), 1) << "one local user row, always: " << reply.toStdString();
        const TaviUser saved = stored();
        EXPECT_EQ(saved.name, "Local") << reply.toStdString();
        EXPECT_EQ(saved.qq, "555");
        EXPECT_EQ(saved.mobile, "13900000000");
        EXPECT_EQ(saved.otherSchool, "Stars");
        EXPECT_NE(saved.userId, 0);
    }
    core->setCurrentUser(TaviUser());
    core->loadUser();
    EXPECT_EQ(core->userSnapshot().name, "Local") << "the offline start shows the stored profile";
}

TEST_F(CoreUserTest, AnUpdateCarriesTheUidTheLoginJustGaveAndReloadsTheUser) {
    DevService service;
    ASSERT_TRUE(service.isRunning());
    useService(service.baseAddress());
    // The record was made while there was no uid yet (the first refresh failed).
    TaviUser edit;
    edit.name = "Zhang";
    edit.province = 310000;
    edit.city = 310115;
    edit.school = 0;
    edit.otherSchool = "Pudong Stars";
    edit.qq = "777";
    edit.mobile = "888";
    QSignalSpy loaded(core, &Core::userLoaded);
    EXPECT_EQ(core->updateUserInfo(&edit), NET_OK);
    EXPECT_EQ(paths_of(service), QStringList({"/api/user_login", "/api/up_userinfo", "/api/query_userInfo"}));
    const TaviUser now = core->userSnapshot();
    EXPECT_FALSE(now.uid.isEmpty());
    EXPECT_EQ(testsupport::formValue(service.lastFields("/api/up_userinfo"), "user_id"), now.uid);
    EXPECT_EQ(now.name, "Zhang");
    EXPECT_EQ(now.schoolName, "Pudong Stars");
    EXPECT_EQ(now.cityName, QString::fromUtf8("浦东新区"));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(stored().otherSchool, "Pudong Stars");

    // Refused: the send's result, and no reload.
    service.clearRequests();
    edit.qq = "not digits";
    EXPECT_EQ(core->updateUserInfo(&edit), NET_STATUS_FAILED);
    EXPECT_EQ(paths_of(service), QStringList({"/api/up_userinfo"}));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(core->userSnapshot().qq, "777");
}

TEST_F(CoreUserTest, TheProfileJobsRunOnTheWorkerThreadAndAnnounceOnTheInterfaceThread) {
    DevService service;
    useServiceOnWorker(service);
    QThread& thread = worker;

    auto* refresh = new RefreshUserInfoWorker;
    auto* update = new UpdateUserInfoWorker;
    refresh->moveToThread(&thread);
    update->moveToThread(&thread);
    QThread* ranOn = nullptr;
    QObject::connect(
        refresh, &RefreshUserInfoWorker::started, refresh, [&] { ranOn = QThread::currentThread(); },
        Qt::DirectConnection);
    QSignalSpy refreshDone(refresh, &RefreshUserInfoWorker::done);
    QSignalSpy updateDone(update, &UpdateUserInfoWorker::done);
    QSignalSpy updateStarted(update, &UpdateUserInfoWorker::started);
    QThread* announcedOn = nullptr;
    QObject::connect(core, &Core::userLoaded, qApp, [&] { announcedOn = QThread::currentThread(); });

    emit refresh->run();
    ASSERT_TRUE(waitFor([&] { return refreshDone.count() == 1; }));
    EXPECT_EQ(refreshDone.first().first().toInt(), 0);
    EXPECT_EQ(ranOn, &thread);
    ASSERT_TRUE(waitFor([&] { return announcedOn != nullptr; }));
    EXPECT_EQ(announcedOn, QThread::currentThread());

    TaviUserPtr edit(new TaviUser);
    edit->uid = core->userSnapshot().uid;
    edit->name = "Chen";
    edit->province = 440000;
    edit->city = 440100;
    edit->school = 0;
    edit->otherSchool = "Canton Kids";
    edit->qq = "1";
    edit->mobile = "2";
    emit update->run(edit);
    ASSERT_TRUE(waitFor([&] { return updateDone.count() == 1; }));
    EXPECT_EQ(updateStarted.count(), 1);
    EXPECT_EQ(updateDone.first().first().toInt(), 0);
    ASSERT_TRUE(waitFor([&] { return stored().name == "Chen"; }));
    EXPECT_EQ(core->userSnapshot().schoolName, "Canton Kids");

    thread.quit();
    thread.wait();
    delete refresh;
    delete update;
}

TEST_F(CoreUserTest, TheProfileIsCheckedSentAndKeptAsADraftWithoutWidgets) {
    // The first thing a typed profile lacks, in the page's order.
    TaviUser typed;
    typed.name = "Li";
    typed.qq = "123";
    typed.mobile = "456";
    EXPECT_EQ(ProfileController::check(typed), ProfileController::NoSchoolName);
    typed.otherSchool = "Sunshine";
    EXPECT_EQ(ProfileController::check(typed), ProfileController::Complete);
    typed.qq.clear();
    EXPECT_EQ(ProfileController::check(typed), ProfileController::NoQq);
    typed.name.clear();
    EXPECT_EQ(ProfileController::check(typed), ProfileController::NoName);

    DevService service;
    useServiceOnWorker(service);
    {
        ProfileController controller(core->context());
        // A chosen school carries no typed name; pasted line breaks go.
        TaviUser fields;
        fields.name = "Wang\nFang";
        fields.qq = "777";
        fields.mobile = "888";
        fields.province = 310000;
        fields.city = 310115;
        fields.school = 0;
        fields.otherSchool = "Stars";
        const TaviUserPtr user = controller.typedProfile(fields);
        EXPECT_EQ(user->name, "WangFang");
        fields.school = 42;
        EXPECT_TRUE(controller.typedProfile(fields)->otherSchool.isEmpty());

        // Kept until the service has it, then gone.
        controller.keepDraft(*user);
        ASSERT_TRUE(controller.draft());
        EXPECT_EQ(controller.draft()->otherSchool, "Stars");
        QSignalSpy submitted(&controller, &ProfileController::submitted);
        controller.submit(user);
        ASSERT_TRUE(waitFor([&] { return submitted.count() == 1; }));
        EXPECT_EQ(submitted.first().first().toInt(), NET_OK);
        EXPECT_EQ(core->userSnapshot().name, "WangFang");
        EXPECT_EQ(testsupport::formValue(service.lastFields("/api/up_userinfo"), "other_kindergarten"),
                  "Stars");
        controller.dropDraft();
        EXPECT_FALSE(controller.draft());
    }
}
