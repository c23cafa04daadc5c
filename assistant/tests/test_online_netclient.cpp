// The service client against real HTTP servers on 127.0.0.1: a small server
// of the test's own that records bodies byte for byte and answers whatever a
// case needs, and the development service, whose own form parser checks that
// every value arrives as it was typed.

#include "online/formencode.h"
#include "online/netclient.h"
#include "online/netreply.h"
#include "online/serviceaddress.h"
#include "platform/log.h"
#include "support/devservice.h"
#include "support/httpserver.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>

#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

using testsupport::decodeForm;
using testsupport::DevService;
using testsupport::formKeys;
using testsupport::formValue;
using testsupport::HttpServer;
using testsupport::readFile;

namespace {

const QString kDevice = "00:1A:2B:3C:4D:5E";
const QString kVersion = "2.1.0";

class NetClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::setupClientLogging(dir.path());
        ASSERT_TRUE(server.isListening());
        net = std::make_unique<NetClient>(server.baseAddress(), kDevice, kVersion, &shared);
    }
    QString log() const { return readFile(dir.path() + "/debug/taviassistant.log"); }
    QList<QPair<QString, QString>> lastForm(const QByteArray& path) const {
        const QList<QByteArray> bodies = server.bodies(path);
        return bodies.isEmpty() ? QList<QPair<QString, QString>>() : decodeForm(bodies.last());
    }

    QTemporaryDir dir;
    HttpServer server;
    // The record the client fills, as a reader on another thread sees it.
    TaviUser user() const { return shared.snapshot(); }
    SharedUser shared;
    std::unique_ptr<NetClient> net;
};

// A user whose every field is set, to see what a reply leaves alone.
TaviUser filledUser() {
    TaviUser u;
    u.userId = 7;
    u.uid = "uid-7";
    u.name = "Old Name";
    u.screenName = "old screen";
    u.province = 1;
    u.city = 2;
    u.school = 3;
    u.provinceName = "P";
    u.cityName = "C";
    u.schoolName = "S";
    u.birthday = "2000-01-01";
    u.otherSchool = "O";
    u.avatar = "a.png";
    u.email = "e@x";
    u.qq = "111";
    u.mobile = "222";
    u.isOpen = true;
    u.userRole = 5;
    return u;
}

bool sameUser(const TaviUser& a, const TaviUser& b) {
    return a.userId == b.userId && a.uid == b.uid && a.name == b.name && a.screenName == b.screenName &&
           a.province == b.province && a.city == b.city && a.school == b.school &&
           a.provinceName == b.provinceName && a.cityName == b.cityName && a.schoolName == b.schoolName &&
           a.birthday == b.birthday && a.otherSchool == b.otherSchool && a.avatar == b.avatar &&
           a.email == b.email && a.qq == b.qq && a.mobile == b.mobile && a.isOpen == b.isOpen &&
           a.userRole == b.userRole;
}

} // namespace

TEST_F(NetClientTest, ALoginBeforeAnyUserSendsAnEmptyUserIdAndTheOperatingSystemPair) {
    server.setReply("/api/user_login", R"({"status":"ok","uid":"tv-1","id":"10001"})");
    ASSERT_EQ(net->login(), NET_OK);

    const QList<HttpServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].target, "/api/user_login");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
    // The pair with the empty value is there, first, with nothing after its '='.
    EXPECT_TRUE(requests[0].body.startsWith("user_id=&imei=")) << requests[0].body.toStdString();
    const auto form = decodeForm(requests[0].body);
    EXPECT_EQ(formKeys(form), QStringList({"user_id", "imei", "terminal_type", "device_model", "version",
                                           "operating_system"}));
    EXPECT_EQ(formValue(form, "user_id"), "");
    EXPECT_EQ(formValue(form, "imei"), kDevice);
    EXPECT_EQ(formValue(form, "terminal_type"), "windows");
    EXPECT_EQ(formValue(form, "device_model"), "pc");
    EXPECT_EQ(formValue(form, "version"), kVersion);
    EXPECT_EQ(formValue(form, "operating_system"), "unknown widows version");
    EXPECT_EQ(user().uid, "tv-1");
    EXPECT_EQ(user().userId, 10001);
    EXPECT_TRUE(log().contains("DEBUG - NetClient::login"));

    // Once there is a uid, the next request carries it.
    server.setReply("/api/query_userInfo", R"({"status":"ok"})");
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(formValue(lastForm("/api/query_userInfo"), "user_id"), "tv-1");
}

TEST(LoginOperatingSystem, OnlyKnownNtVersionsAreNamed) {
    EXPECT_EQ(loginOperatingSystem(2, 5, 1), "windows xp");
    EXPECT_EQ(loginOperatingSystem(2, 6, 1), "windows 7");
    EXPECT_EQ(loginOperatingSystem(2, 6, 3), "windows 8.1");
    EXPECT_EQ(loginOperatingSystem(2, 10, 0), "unknown widows version");
    EXPECT_EQ(loginOperatingSystem(1, 5, 1), "unknown widows version");
    EXPECT_EQ(loginOperatingSystem(), "unknown widows version");
}

TEST_F(NetClientTest, TheLoginReadsNumbersAndTheRefreshReadsStrings) {
    // The same member, a JSON string, read both ways.
    server.setReply("/api/user_login", R"({"province":"11","city":12.9,"school":-3.7,"uid":"u"})");
    ASSERT_EQ(net->login(), NET_OK);
    EXPECT_EQ(user().province, 0) << "the login reads numbers";
    EXPECT_EQ(user().city, 12) << "truncated";
    EXPECT_EQ(user().school, -3);

    server.setReply("/api/query_userInfo",
                    R"({"province":"11","city":"110105","kindergarten":"1004","school":"9"})");
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().province, 11);
    EXPECT_EQ(user().city, 110105);
    EXPECT_EQ(user().school, 1004) << "the refresh's school comes under kindergarten";

    // A number the refresh wants as a string, and one too big for an int at the login.
    server.setReply("/api/query_userInfo", R"({"province":11,"user_role":"1","is_open":"0"})");
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().province, 0);
    EXPECT_EQ(user().userRole, 1);
    EXPECT_FALSE(user().isOpen);
    server.setReply("/api/user_login", R"({"province":1e300,"city":-1e300,"school":2147483648})");
    ASSERT_EQ(net->login(), NET_OK);
    EXPECT_EQ(user().province, 0);
    EXPECT_EQ(user().city, 0);
    EXPECT_EQ(user().school, 0);
    EXPECT_TRUE(log().contains("DEBUG - province:11"));
    EXPECT_TRUE(log().contains("DEBUG - school:1004"));
}

TEST_F(NetClientTest, MissingMembersLeaveTheUserAndPresentOnesReplaceIt) {
    shared.set(filledUser());
    server.setReply("/api/user_login", R"({"name":"王老师","email":"w@x"})");
    ASSERT_EQ(net->login(), NET_OK);
    TaviUser expected = filledUser();
    expected.name = QString::fromUtf8("王老师");
    expected.email = "w@x";
    EXPECT_TRUE(sameUser(user(), expected));

    // The refresh always writes the role: a missing user_role is 0.
    server.setReply("/api/query_userInfo", R"({"qq":"123","tel":"138","is_open":"1"})");
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    expected.qq = "123";
    expected.mobile = "138";
    expected.userRole = 0;
    EXPECT_TRUE(sameUser(user(), expected));
}

TEST_F(NetClientTest, TheOtherSchoolStandsInForAnEmptySchoolName) {
    const QByteArray reply = R"({"kindergarten_name":"","other_kindergarten":"A"})";
    server.setReply("/api/user_login", reply);
    server.setReply("/api/query_userInfo", reply);
    shared.set(filledUser());
    ASSERT_EQ(net->login(), NET_OK);
    EXPECT_EQ(user().schoolName, "A");
    EXPECT_EQ(user().otherSchool, "O") << "the login does not fill otherSchool";

    shared.set(filledUser());
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().schoolName, "A");
    EXPECT_EQ(user().otherSchool, "A");

    // A real school name wins; the other school is then only kept aside.
    server.setReply("/api/user_login", R"({"kindergarten_name":"Sun","other_kindergarten":"A"})");
    server.setReply("/api/query_userInfo", R"({"kindergarten_name":"Sun","other_kindergarten":"A"})");
    shared.set(filledUser());
    ASSERT_EQ(net->login(), NET_OK);
    EXPECT_EQ(user().schoolName, "Sun");
    shared.set(filledUser());
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().schoolName, "Sun");
    EXPECT_EQ(user().otherSchool, "A");

    // A profile's words are one line each, whatever the service sends.
    server.setReply(
        "/api/query_userInfo",
        R"({"kindergarten_name":"Sun\n\tRise\r","other_kindergarten":"A\u2028B","tel":"13\u00008"})");
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().schoolName, "SunRise");
    EXPECT_EQ(user().otherSchool, "AB");
    EXPECT_EQ(user().mobile, "138");
}

TEST_F(NetClientTest, StatusOkAndSuccessAreAcceptedAnythingElseChangesNothing) {
    TaviUser edit = filledUser();
    struct Case {
        QByteArray body;
        int result;
    } cases[] = {
        {R"({"status":"ok"})", NET_OK},
        {R"({"status":"success"})", NET_OK},
        {R"({"status":"failure","reason":"no"})", NET_STATUS_FAILED},
        {R"({"status":"OK"})", NET_STATUS_FAILED},
        {R"({"status":1})", NET_STATUS_FAILED},
        {"{}", NET_OK},
        {"<html>500</html>", NET_PARSE_FAILED},
        {"", NET_PARSE_FAILED},
        {R"([{"status":"ok"}])", NET_PARSE_FAILED},
        {R"({"status":"ok")", NET_PARSE_FAILED},
    };
    for (const Case& c : cases) {
        server.setReply("/api/up_userinfo", c.body);
        EXPECT_EQ(net->updateUserInfo(&edit), c.result) << c.body.toStdString();
    }

    // A refused or unreadable login or refresh leaves the user exactly as it was.
    for (const char* path : {"/api/user_login", "/api/query_userInfo"}) {
        for (const QByteArray& body :
             {QByteArray(R"({"status":"fail","name":"X","uid":"Y"})"), QByteArray(R"([{"name":"X"}])"),
              QByteArray("{\"name\":"), QByteArray("null"), QByteArray("\"text\"")}) {
            server.setReply(path, body);
            shared.set(filledUser());
            const int r = QByteArray(path) == "/api/user_login" ? net->login() : net->refreshUserInfo();
            EXPECT_NE(r, NET_OK) << path << " " << body.toStdString();
            EXPECT_TRUE(sameUser(user(), filledUser())) << path << " " << body.toStdString();
        }
    }
    const QString text = log();
    EXPECT_TRUE(text.contains("ERROR - status = 'fail'"));
    EXPECT_TRUE(text.contains("ERROR - status = 'failure'"));
    EXPECT_TRUE(text.contains("ERROR - parse err:"));
    EXPECT_TRUE(text.contains("ERROR - parse data failed"));
    EXPECT_TRUE(text.contains("ERROR - jsonDoc is not an object"));
}

TEST_F(NetClientTest, TheProfileUpdateSendsItsFieldsAndOtherSchoolOnlyWhenTyped) {
    server.setReply("/api/up_userinfo", R"({"status":"success"})");
    TaviUser edit;
    edit.uid = "tv-9";
    edit.name = "Li";
    edit.province = 110000;
    edit.city = 110105;
    edit.school = 1004;
    edit.qq = "12345";
    edit.mobile = "13800000000";
    ASSERT_EQ(net->updateUserInfo(&edit), NET_OK);
    auto form = lastForm("/api/up_userinfo");
    EXPECT_EQ(formKeys(form), QStringList({"user_id", "imei", "name", "province", "city", "kindergarten",
                                           "qq", "tel", "terminal_type", "account_type"}));
    EXPECT_EQ(formValue(form, "user_id"), "tv-9");
    EXPECT_EQ(formValue(form, "kindergarten"), "1004");
    EXPECT_EQ(formValue(form, "tel"), "13800000000");
    EXPECT_EQ(formValue(form, "account_type"), "traveler");

    edit.school = 0;
    edit.otherSchool = "Little Stars";
    ASSERT_EQ(net->updateUserInfo(&edit), NET_OK);
    form = lastForm("/api/up_userinfo");
    EXPECT_EQ(formKeys(form),
              QStringList({"user_id", "imei", "name", "province", "city", "kindergarten",
                           "other_kindergarten", "qq", "tel", "terminal_type", "account_type"}));
    EXPECT_EQ(formValue(form, "other_kindergarten"), "Little Stars");
    // The body goes to the log as sent.
    EXPECT_TRUE(log().contains("DEBUG - user_id=tv-9&imei="));
    EXPECT_TRUE(log().contains("DEBUG - NetClient::updateUserInfo"));
}

TEST_F(NetClientTest, ListsAppendInOrderAndReadIdsAsStrings) {
    server.setReply("/api/get_pc", R"([{"id":"110000","name":"北京市"},{"id":5,"name":"five"},{"name":"none"},
                                       "junk",{"id":"31","name":"上海市"}])");
    DataSet<_ProvCityInfo> provinces;
    auto* kept = new _ProvCityInfo;
    kept->id = 99;
    provinces.append(kept);
    ASSERT_EQ(net->getProvCity(0, &provinces), NET_OK);
    ASSERT_EQ(provinces.size(), 5) << "the set is not cleared; a non-object element is skipped";
    EXPECT_EQ(provinces[0]->id, 99);
    EXPECT_EQ(provinces[1]->id, 110000);
    EXPECT_EQ(provinces[1]->name, QString::fromUtf8("北京市"));
    EXPECT_EQ(provinces[2]->id, 0) << "an id sent as a number reads as 0";
    EXPECT_EQ(provinces[3]->id, 0);
    EXPECT_EQ(provinces[4]->name, QString::fromUtf8("上海市"));
    for (const auto& p : provinces)
        EXPECT_EQ(p->parentId, 0);
    EXPECT_EQ(formValue(lastForm("/api/get_pc"), "pro_id"), "0");

    server.setReply("/api/get_pc", "[]");
    DataSet<_ProvCityInfo> cities;
    EXPECT_EQ(net->getProvCity(110000, &cities), NET_OK);
    EXPECT_TRUE(cities.isEmpty());
    EXPECT_EQ(formValue(lastForm("/api/get_pc"), "pro_id"), "110000");

    server.setReply("/api/get_nurseries", R"([{"id":"1004","name":"Sun & Moon"},{"id":"184","name":"x"}])");
    DataSet<_SchoolInfo> schools;
    ASSERT_EQ(net->getSchools(110105, &schools), NET_OK);
    ASSERT_EQ(schools.size(), 2);
    EXPECT_EQ(schools[0]->id, 1004);
    EXPECT_EQ(schools[0]->cityId, 0) << "the caller fills the city";
    const auto form = lastForm("/api/get_nurseries");
    EXPECT_EQ(formKeys(form), QStringList({"user_id", "imei", "city_id", "terminal_type", "account_type"}));
    EXPECT_EQ(formValue(form, "city_id"), "110105");

    // An object where an array belongs.
    server.setReply("/api/get_nurseries", R"({"id":"1","name":"wrong type"})");
    schools.clear();
    EXPECT_EQ(net->getSchools(1, &schools), NET_PARSE_FAILED);
    EXPECT_TRUE(schools.isEmpty());
    EXPECT_TRUE(log().contains("ERROR - jsonDoc is not an array"));
}

TEST_F(NetClientTest, TheUpdateCheckCopiesWhatItGetsAndCallsAnEmptyObjectEmpty) {
    server.setReply("/api/terminal_upgrade", "{}");
    _UpdateInfo info;
    EXPECT_EQ(net->checkUpdate("2.1.0", &info), NET_EMPTY_REPLY);

    server.setReply("/api/terminal_upgrade", R"({"status":"nothing"})");
    EXPECT_EQ(net->checkUpdate("2.1.0", &info), NET_OK);
    EXPECT_EQ(info.status, "nothing");
    EXPECT_TRUE(info.path.isEmpty() && info.versionName.isEmpty() && info.versionCode.isEmpty() &&
                info.packageName.isEmpty() && info.versionInformation.isEmpty() && info.reason.isEmpty());
    const auto form = lastForm("/api/terminal_upgrade");
    EXPECT_EQ(formKeys(form),
              QStringList({"user_id", "imei", "terminal_type", "account_type", "version_code"}));
    EXPECT_EQ(formValue(form, "version_code"), "2.1.0");

    server.setReply(
        "/api/terminal_upgrade",
        R"({"status":"update","path":"/download/t.run","version_name":"2.2.0","version_code":"2.2.0",
                        "package_name":"taviclient","version_information":"新","reason":""})");
    _UpdateInfo offer;
    ASSERT_EQ(net->checkUpdate("2.1.0", &offer), NET_OK);
    EXPECT_EQ(offer.path, "/download/t.run");
    EXPECT_EQ(offer.versionName, "2.2.0");
    EXPECT_EQ(offer.packageName, "taviclient");
    EXPECT_EQ(offer.versionInformation, QString::fromUtf8("新"));

    const QString before = log();
    server.setReply("/api/terminal_upgrade", "[1,2]");
    EXPECT_EQ(net->checkUpdate("2.1.0", &offer), NET_PARSE_FAILED);
    server.setReply("/api/terminal_upgrade", "not json");
    EXPECT_EQ(net->checkUpdate("2.1.0", &offer), NET_PARSE_FAILED);
    // The update check says nothing beyond the parser's own line.
    EXPECT_FALSE(log().mid(before.size()).contains("parse data failed"));
}

TEST_F(NetClientTest, TheHttpStatusIsNotLookedAtAndGetLeavesOutApi) {
    server.setReply("/api/up_userinfo", HttpServer::Reply{500, R"({"status":"ok"})"});
    TaviUser edit;
    EXPECT_EQ(net->updateUserInfo(&edit), NET_OK);
    server.setReply("/api/up_userinfo", HttpServer::Reply{500, "<html>error</html>", "text/html"});
    EXPECT_EQ(net->updateUserInfo(&edit), NET_PARSE_FAILED);

    server.setReply("/files/a.txt", HttpServer::Reply{200, "hello", "text/plain"});
    QByteArray reply = "kept:";
    ASSERT_TRUE(net->get("/files/a.txt", &reply));
    EXPECT_EQ(reply, "kept:hello") << "the reply is appended";
    EXPECT_EQ(server.requests().last().method, "GET");
    EXPECT_EQ(server.requests().last().target, "/files/a.txt");
}

TEST_F(NetClientTest, TransportFailuresAreOneAndTheirLines) {
    // Nothing listens: refused at once.
    quint16 closedPort = 0;
    {
        HttpServer gone;
        closedPort = gone.port();
    }
    NetClient nowhere(QString("http://127.0.0.1:%1").arg(closedPort), kDevice, kVersion, &shared);
    QElapsedTimer t;
    t.start();
    shared.set(filledUser());
    EXPECT_EQ(nowhere.login(), NET_POST_FAILED);
    EXPECT_EQ(nowhere.refreshUserInfo(), NET_POST_FAILED);
    EXPECT_TRUE(sameUser(user(), filledUser()));
    TaviUser edit;
    EXPECT_EQ(nowhere.updateUserInfo(&edit), NET_POST_FAILED);
    DataSet<_SchoolInfo> schools;
    EXPECT_EQ(nowhere.getSchools(1, &schools), NET_POST_FAILED);
    EXPECT_LT(t.elapsed(), 3000);

    // The connection closes without an answer.
    server.setReply("/api/get_pc", HttpServer::Reply{200, {}, {}, 0, true});
    DataSet<_ProvCityInfo> provinces;
    EXPECT_EQ(net->getProvCity(0, &provinces), NET_POST_FAILED);

    // No address at all (a malformed override): nothing is sent anywhere.
    NetClient unset(QString(), kDevice, kVersion, &shared);
    server.clear();
    EXPECT_EQ(unset.login(), NET_POST_FAILED);
    EXPECT_TRUE(server.requests().isEmpty());

    const QString text = log();
    EXPECT_TRUE(text.contains("ERROR - curl_easy_perform() failed:Couldn't connect to server"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("ERROR - post failed."));
    EXPECT_TRUE(text.contains("ERROR - no service address"));
}

TEST_F(NetClientTest, AServerThatDoesNotAnswerFor11SecondsGivesOneWithin12) {
    server.setReply("/api/query_userInfo",
                    HttpServer::Reply{200, R"({"status":"ok","name":"late"})", "application/json", 11000});
    shared.set(filledUser());
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(net->refreshUserInfo(), NET_POST_FAILED);
    const qint64 took = t.elapsed();
    EXPECT_GE(took, 9500);
    EXPECT_LT(took, 12000);
    EXPECT_TRUE(sameUser(user(), filledUser()));
    EXPECT_TRUE(log().contains("curl_easy_perform() failed:Timeout was reached"));
}

TEST_F(NetClientTest, AReplyBeyondTheLimitFailsInsteadOfFillingTheMemory) {
    QByteArray huge = "[";
    const QByteArray element =
        R"({"id":"1","name":"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},)";
    while (huge.size() <= NetClient::kMaxReplyBytes)
        huge += element;
    huge += R"({"id":"2","name":"y"}])";
    server.setReply("/api/get_nurseries", huge);
    DataSet<_SchoolInfo> schools;
    EXPECT_EQ(net->getSchools(1, &schools), NET_POST_FAILED);
    EXPECT_TRUE(schools.isEmpty());
    EXPECT_TRUE(log().contains("reply longer than"));
}

TEST(FormEncode, ValuesAreFormEncodedAndPlainOnesUnchanged) {
    EXPECT_EQ(formEncode("traveler"), "traveler");
    EXPECT_EQ(formEncode("110105"), "110105");
    EXPECT_EQ(formEncode("a-b_c.d*"), "a-b_c.d*");
    EXPECT_EQ(formEncode("Sun & Moon"), "Sun+%26+Moon");
    EXPECT_EQ(formEncode("a+b"), "a%2Bb");
    EXPECT_EQ(formEncode("100%"), "100%25");
    EXPECT_EQ(formEncode("x&user_id=y"), "x%26user_id%3Dy");
    EXPECT_EQ(formEncode(QString::fromUtf8("幼")), "%E5%B9%BC");
    EXPECT_EQ(formEncode(QString(QChar(0))), "%00") << "a NUL cannot cut the body short";
    FormBody body;
    body.add("a", QString()).add("b", 5);
    EXPECT_EQ(body.bytes(), "a=&b=5");
}

TEST(ServiceAddress, TheOverrideIsCheckedAndLogged) {
    EXPECT_EQ(serviceBaseAddress(), QString::fromLatin1(kServiceBaseAddress));
    EXPECT_TRUE(serviceBaseAddress().startsWith("http://"));
    EXPECT_FALSE(serviceBaseAddress().endsWith('/'));
    EXPECT_EQ(parseServiceAddress("http://127.0.0.1:8765"), "http://127.0.0.1:8765");
    EXPECT_EQ(parseServiceAddress("http://127.0.0.1:8765/"), "http://127.0.0.1:8765");
    EXPECT_EQ(parseServiceAddress("http://localhost"), "http://localhost");
    for (const char* bad :
         {"", "127.0.0.1:8765", "https://127.0.0.1", "ftp://127.0.0.1", "http://127.0.0.1/api",
          "http://u:p@127.0.0.1", "http://127.0.0.1?x=1", "http://127.0.0.1:", "http://"})
        EXPECT_TRUE(parseServiceAddress(bad).isEmpty()) << bad;

    QTemporaryDir dir;
    tavi::setupClientLogging(dir.path());
    const QByteArray saved = qgetenv("TAVI_SERVICE_ADDRESS");
    qputenv("TAVI_SERVICE_ADDRESS", "http://127.0.0.1:4321");
    EXPECT_EQ(configuredServiceAddress(), "http://127.0.0.1:4321");
    qputenv("TAVI_SERVICE_ADDRESS", "service.example.org");
    EXPECT_TRUE(configuredServiceAddress().isEmpty());
    qunsetenv("TAVI_SERVICE_ADDRESS");
    EXPECT_EQ(configuredServiceAddress(), serviceBaseAddress());
    qputenv("TAVI_SERVICE_ADDRESS", saved);
    const QString text = readFile(dir.path() + "/debug/taviassistant.log");
    EXPECT_TRUE(text.contains("INFO  - service address from TAVI_SERVICE_ADDRESS: http://127.0.0.1:4321"));
    EXPECT_TRUE(text.contains("ERROR - TAVI_SERVICE_ADDRESS is not http://host[:port], no service requests: "
                              "service.example.org"));
}

// ---- against the development service ------------------------------------------

namespace {

class WithDevService : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::setupClientLogging(dir.path());
        ASSERT_TRUE(service.isRunning()) << service.error().toStdString();
        net = std::make_unique<NetClient>(service.baseAddress(), kDevice, kVersion, &shared);
    }
    QTemporaryDir dir;
    DevService service;
    // The record the client fills, as a reader on another thread sees it.
    TaviUser user() const { return shared.snapshot(); }
    SharedUser shared;
    std::unique_ptr<NetClient> net;
};

} // namespace

TEST_F(WithDevService, AwkwardValuesArriveAsTheSameFieldValues) {
    ASSERT_EQ(net->login(), NET_OK);
    ASSERT_FALSE(user().uid.isEmpty());
    const QStringList values = {"Sun & Moon",  "a+b", "100%",     QString::fromUtf8("阳光幼儿园 小一班"),
                                "x&user_id=y", "=&=", "tab\there"};
    for (const QString& value : values) {
        TaviUser edit;
        edit.uid = user().uid;
        edit.name = value;
        edit.province = 110000;
        edit.city = 110105;
        edit.school = 0;
        edit.otherSchool = value;
        edit.qq = "12345";
        edit.mobile = "13800000000";
        EXPECT_EQ(net->updateUserInfo(&edit), NET_OK) << value.toStdString();
        const auto fields = service.lastFields("/api/up_userinfo");
        EXPECT_EQ(formValue(fields, "name"), value);
        EXPECT_EQ(formValue(fields, "other_kindergarten"), value);
        EXPECT_EQ(formValue(fields, "user_id"), user().uid) << "no value can name another account";
        EXPECT_EQ(fields.size(), 11);

        // And back: the service stored exactly that; the client keeps a
        // profile's words on one line.
        ASSERT_EQ(net->refreshUserInfo(), NET_OK);
        const QString oneLine = QString(value).remove('\t');
        EXPECT_EQ(user().name, oneLine);
        EXPECT_EQ(user().otherSchool, oneLine);
        EXPECT_EQ(user().schoolName, oneLine);
    }
}

TEST_F(WithDevService, EveryRequestKindGoesThroughTheServicesOwnChecks) {
    // An empty user_id logs in the device's own account, the same one each time.
    ASSERT_EQ(net->login(), NET_OK);
    const QString uid = user().uid;
    const int userId = user().userId;
    EXPECT_GT(userId, 0);
    user().uid.clear();
    ASSERT_EQ(net->login(), NET_OK);
    EXPECT_EQ(user().uid, uid);
    const auto login = service.lastFields("/api/user_login");
    EXPECT_EQ(formValue(login, "operating_system"), "unknown widows version");
    EXPECT_EQ(formValue(login, "imei"), kDevice);

    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().userId, userId);
    EXPECT_EQ(user().userRole, 0) << "a new traveller account";

    DataSet<_ProvCityInfo> provinces;
    ASSERT_EQ(net->getProvCity(0, &provinces), NET_OK);
    EXPECT_EQ(provinces.size(), 34);
    DataSet<_ProvCityInfo> cities;
    ASSERT_EQ(net->getProvCity(110000, &cities), NET_OK);
    EXPECT_EQ(cities.size(), 16);
    DataSet<_SchoolInfo> schools;
    ASSERT_EQ(net->getSchools(110105, &schools), NET_OK);
    EXPECT_FALSE(schools.isEmpty());

    TaviUser edit;
    edit.uid = uid;
    edit.name = "Li";
    edit.province = 110000;
    edit.city = 110105;
    edit.school = schools.first()->id;
    edit.qq = "123";
    edit.mobile = "456";
    ASSERT_EQ(net->updateUserInfo(&edit), NET_OK);
    ASSERT_EQ(net->refreshUserInfo(), NET_OK);
    EXPECT_EQ(user().school, schools.first()->id);
    EXPECT_EQ(user().schoolName, schools.first()->name);
    EXPECT_EQ(user().userRole, 1);

    // The service refuses a school that is not in the city: 4, and nothing changed.
    edit.school = 999999;
    EXPECT_EQ(net->updateUserInfo(&edit), NET_STATUS_FAILED);
    _UpdateInfo info;
    EXPECT_EQ(net->checkUpdate("2.1.0", &info), NET_OK);
    EXPECT_EQ(info.status, "nothing");
}

TEST_F(WithDevService, TheServicesFailureModesGiveTheirResults) {
    ASSERT_EQ(net->login(), NET_OK);
    TaviUser edit;
    edit.uid = user().uid;
    const TaviUser before = user();
    struct Case {
        const char* mode;
        int login, refresh, update, list, check;
    } cases[] = {
        {"garbage", 3, 3, 3, 3, 3}, {"wrongtype", 3, 3, 3, 3, 3}, {"status", 4, 4, 4, 3, 0},
        {"http500", 3, 3, 3, 3, 3}, {"drop", 1, 1, 1, 1, 1},      {"empty", 0, 0, 0, 3, 2},
    };
    for (const Case& c : cases) {
        QJsonObject fail;
        for (const char* path : {"/api/user_login", "/api/query_userInfo", "/api/up_userinfo", "/api/get_pc",
                                 "/api/terminal_upgrade"})
            fail.insert(path, c.mode);
        ASSERT_TRUE(service.control(QJsonObject{{"clear_fail", true}, {"fail", fail}})) << c.mode;
        shared.set(before);
        EXPECT_EQ(net->login(), c.login) << c.mode;
        EXPECT_EQ(net->refreshUserInfo(), c.refresh) << c.mode;
        EXPECT_EQ(net->updateUserInfo(&edit), c.update) << c.mode;
        DataSet<_ProvCityInfo> list;
        EXPECT_EQ(net->getProvCity(0, &list), c.list) << c.mode;
        _UpdateInfo info;
        EXPECT_EQ(net->checkUpdate("1.0.0", &info), c.check) << c.mode;
        if (c.login != 0) {
            EXPECT_TRUE(sameUser(user(), before)) << c.mode << ": a failed reply changed the user";
        }
    }
}
