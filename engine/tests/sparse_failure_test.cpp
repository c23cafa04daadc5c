// Broken documents: every kind of failure gives no record, a report on standard
// output and in the engine log, and leaves nothing allocated behind. Built with
// -DTAVI_SANITIZE=ON the leak checker runs after every case.

#include "bookfixture.h"
#include "enginelogtail.h"
#include "sparse.h"

#include <functional>
#include <gtest/gtest.h>

using namespace booktest;

namespace {

// A page with something of every kind, so a failure late in the document leaves
// strings, buttons, sprites and action arrays to release.
Json fullPage() {
    return scene({button("button_left"), button("button_right")},
                 {sprite("cat", {action(), action("Sprite_CCAction_10")}, {action()}),
                  sprite("dog", {action("Sprite_CCAction_3")}, {action(), action("Sprite_CCAction_9")})});
}

cJSON* sprites(cJSON* doc) {
    return cJSON_GetObjectItem(sceneOf(doc), "sprite");
}
cJSON* spriteAt(cJSON* doc, int i) {
    return cJSON_GetArrayItem(sprites(doc), i);
}
cJSON* actionAt(cJSON* doc, int sprite, const char* kind, int i) {
    return cJSON_GetArrayItem(cJSON_GetObjectItem(spriteAt(doc, sprite), kind), i);
}

struct Breakage {
    const char* what;
    std::function<void(cJSON*)> apply;
    std::string report;
};

const char* const kKeyMissing = "Key error or does not exist this object \xEF\xBC\x81";

std::vector<Breakage> breakages() {
    return {
        {"no scene object", [](cJSON* d) { cJSON_DeleteItemFromObject(d, "scene"); }, kKeyMissing},
        {"scene is a string",
         [](cJSON* d) { cJSON_ReplaceItemInObject(d, "scene", cJSON_CreateString("x")); },
         "Key \"scene\" is not an object !"},
        {"scene key missing", [](cJSON* d) { cJSON_DeleteItemFromObject(sceneOf(d), "scene_vedio_rect"); },
         "Key \"scene_vedio_rect\" does not exist !"},
        {"scene value is a number",
         [](cJSON* d) {
             cJSON_ReplaceItemInObject(sceneOf(d), "scene_enter_delay_time", cJSON_CreateNumber(1));
         },
         "Key \"scene_enter_delay_time\" is not a string !"},
        {"button array missing", [](cJSON* d) { cJSON_DeleteItemFromObject(sceneOf(d), "button"); },
         kKeyMissing},
        {"button is an object",
         [](cJSON* d) { cJSON_ReplaceItemInObject(sceneOf(d), "button", cJSON_CreateObject()); },
         "Key \"button\" is not an array !"},
        {"sprite array missing", [](cJSON* d) { cJSON_DeleteItemFromObject(sceneOf(d), "sprite"); },
         kKeyMissing},
        {"second button lacks its rect",
         [](cJSON* d) {
             cJSON_DeleteItemFromObject(cJSON_GetArrayItem(cJSON_GetObjectItem(sceneOf(d), "button"), 1),
                                        "button_rect");
         },
         "Key \"button_rect\" does not exist !"},
        {"button is a number",
         [](cJSON* d) {
             cJSON_AddItemToArray(cJSON_GetObjectItem(sceneOf(d), "button"), cJSON_CreateNumber(3));
         },
         "Key \"button_name\" does not exist !"},
        {"second sprite lacks default actions",
         [](cJSON* d) { cJSON_DeleteItemFromObject(spriteAt(d, 1), "default_action"); }, kKeyMissing},
        {"second sprite lacks hot-spot actions",
         [](cJSON* d) { cJSON_DeleteItemFromObject(spriteAt(d, 1), "hotspot_action"); }, kKeyMissing},
        {"sprite is an array", [](cJSON* d) { cJSON_AddItemToArray(sprites(d), cJSON_CreateArray()); },
         kKeyMissing},
        {"sprite value is null",
         [](cJSON* d) { cJSON_ReplaceItemInObject(spriteAt(d, 1), "sprite_zoom_rate", cJSON_CreateNull()); },
         "Key \"sprite_zoom_rate\" is not a string !"},
        {"hot-spot action value is a boolean",
         [](cJSON* d) {
             cJSON_ReplaceItemInObject(actionAt(d, 1, "hotspot_action", 0), "toPageNumber",
                                       cJSON_CreateTrue());
         },
         "Key \"toPageNumber\" is not a string !"},
        {"last key of the last default action missing",
         [](cJSON* d) { cJSON_DeleteItemFromObject(actionAt(d, 1, "default_action", 1), "scene_change"); },
         "Key \"scene_change\" does not exist !"},
        {"action is a string",
         [](cJSON* d) {
             cJSON_AddItemToArray(cJSON_GetObjectItem(spriteAt(d, 0), "default_action"),
                                  cJSON_CreateString("a"));
         },
         "Key \"action_type\" does not exist !"},
    };
}

class FailureTest : public ::testing::Test {
protected:
    FailureTest() {
        EngineLogTail::file();
        parser.setEcho(false);
        parser.setReportListener([this](const std::string& text) { reports.push_back(text); });
    }
    void TearDown() override {
        EXPECT_EQ(parser.liveScenes(), 0u);
        EXPECT_EQ(leaksNow(), 0) << "records of a failed parse were not released";
    }
    SParser parser;
    std::vector<std::string> reports;
};

} // namespace

TEST_F(FailureTest, EveryBrokenPieceFailsThePageAndReleasesWhatWasBuilt) {
    {
        // The unbroken page is read, so each failure below is the breakage's doing.
        SScene* whole = parser.sceneFromText(print(fullPage().get()).c_str());
        ASSERT_NE(whole, nullptr);
        parser.deleteScene(whole);
    }
    for (const Breakage& b : breakages()) {
        SCOPED_TRACE(b.what);
        Json doc = fullPage();
        b.apply(doc.get());
        reports.clear();
        EXPECT_EQ(parser.sceneFromText(print(doc.get()).c_str()), nullptr);
        EXPECT_EQ(parser.liveScenes(), 0u);
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front(), b.report);
        EXPECT_EQ(leaksNow(), 0);
    }
}

TEST_F(FailureTest, InvalidJsonIsReportedFromWhereTheReadingStopped) {
    EXPECT_EQ(parser.sceneFromText(R"({"scene": x})"), nullptr);
    EXPECT_EQ(parser.sceneFromText(""), nullptr);
    EXPECT_EQ(parser.gameJsonFromText("[1,2"), nullptr);
    EXPECT_EQ(parser.gameJsonFromText("\"just a string\""), nullptr);
    EXPECT_EQ(reports,
              (std::vector<std::string>{"Error before: [x}]\n", "Error before: []\n", "Error before: []\n",
                                        "Key \"scene_type\" does not exist !"}));
}

TEST_F(FailureTest, EveryTruncationOfAPageFailsCleanly) {
    const std::string text = print(fullPage().get());
    for (std::size_t length = 0; length < text.size(); ++length)
        ASSERT_EQ(parser.sceneFromText(text.substr(0, length).c_str()), nullptr) << length;
    EXPECT_EQ(reports.size(), text.size());
}

TEST_F(FailureTest, DescriptorFailuresReleaseTheRecord) {
    Json missing = gameJson(3);
    cJSON_DeleteItemFromObject(missing.get(), "scene_height");
    EXPECT_EQ(parser.gameJsonFromText(print(missing.get()).c_str()), nullptr);
    Json number = gameJson(3);
    cJSON_ReplaceItemInObject(number.get(), "scene_width", cJSON_CreateNumber(1024));
    EXPECT_EQ(parser.gameJsonFromText(print(number.get()).c_str()), nullptr);
    EXPECT_EQ(reports, (std::vector<std::string>{"Key \"scene_height\" does not exist !",
                                                 "Key \"scene_width\" is not a string !"}));
}

TEST_F(FailureTest, ActionArraysAreCheckedAgainstTheirCount) {
    Json doc = fullPage();
    const cJSON* hotspots = cJSON_GetObjectItem(spriteAt(doc.get(), 0), "hotspot_action");
    EXPECT_EQ(parser.getActionArray(hotspots, 0), nullptr);
    EXPECT_EQ(parser.getActionArray(nullptr, 2), nullptr);
    EXPECT_EQ(parser.getActionArray(spriteAt(doc.get(), 0), 2), nullptr); // an object, not an array
    EXPECT_EQ(parser.getActionArray(hotspots, 3), nullptr);               // one more than it holds
    EXPECT_EQ(reports, (std::vector<std::string>{"SACtion is NULL or array size is zero !",
                                                 "SACtion is NULL or array size is zero !",
                                                 "SACtion is NULL or array size is zero !",
                                                 "Get action json fail !"}));
    SAction* actions = parser.getActionArray(hotspots, 2);
    ASSERT_NE(actions, nullptr);
    EXPECT_STREQ(actions[1].action_type, "Sprite_CCAction_10");
    sParse_freeActions(actions, 2);
}

TEST_F(FailureTest, UnreadableFilesFailWithALogEntry) {
    TempBook book;
    book.write("json/scene_json0.txt/inside", "a folder where a page should be");
    book.write("json/scene_json1.txt", "{\"scene\": ");
    parser.initGameJson(book.jsonDir().c_str());
    EngineLogTail log;
    testing::internal::CaptureStdout();
    parser.setEcho(true);
    EXPECT_EQ(parser.parse(0), nullptr);
    EXPECT_EQ(parser.parse(1), nullptr);
    EXPECT_EQ(parser.parse(2), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string logged = log.text();
    const std::string root = book.jsonDir();
    EXPECT_EQ(parserErrors(logged), (std::vector<std::string>{
                                        "not a readable description file: " + root + "scene_json0.txt",
                                        "cannot read scene_json0.txt",
                                        "Error before: []",
                                        "cannot open " + root + "scene_json2.txt: No such file or directory",
                                        "cannot read scene_json2.txt",
                                    }))
        << logged;
    EXPECT_NE(logged.find("DEBUG - scene_json1.txt"), std::string::npos);
    // Only the report goes to standard output as well, after the path being read.
    EXPECT_EQ(out, "buf11111----------------------------" + root + "scene_json0.txt\n" +
                       "buf11111----------------------------" + root + "scene_json1.txt\n" +
                       "Error before: []\n" + "buf11111----------------------------" + root +
                       "scene_json2.txt\n");
}
