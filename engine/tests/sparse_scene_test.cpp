// Reading a book folder: the descriptor, pages and their records, and the count
// queries the page player relies on.

#include "bookfixture.h"
#include "enginelogtail.h"
#include "sparse.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace booktest;

namespace {

class BookTest : public ::testing::Test {
protected:
    BookTest() {
        EngineLogTail::file();
        parser.setEcho(false);
        parser.setReportListener([this](const std::string& text) { reports.push_back(text); });
    }

    // Writes doc as page n of the book, makes it the parser's book, parses it.
    SScene* parsePage(const cJSON* doc, int n = 0) {
        book.writeJson("scene_json" + std::to_string(n) + ".txt", doc);
        book.writeJson("game_json.txt", gameJson(n + 1).get());
        GameJson* game = parser.initGameJson(book.jsonDir().c_str());
        parser.release(game, 0);
        return parser.parse(n);
    }

    bool reported(const std::string& text) const {
        return std::find(reports.begin(), reports.end(), text) != reports.end();
    }

    TempBook book;
    SParser parser;
    std::vector<std::string> reports;
};

} // namespace

TEST_F(BookTest, DescriptorValuesAreStringsConverted) {
    book.writeJson("game_json.txt", gameJson(3, "1024.5", "768").get());
    GameJson* game = parser.initGameJson(book.jsonDir().c_str());
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->scene_type, 1);
    EXPECT_FLOAT_EQ(game->scene_width, 1024.5f);
    EXPECT_FLOAT_EQ(game->scene_height, 768.0f);
    EXPECT_EQ(game->scene_number, 3);
    EXPECT_EQ(parser.rootPath(), book.jsonDir());
    parser.release(game, 0);
}

TEST_F(BookTest, NumbersWrittenAsJsonNumbersAreRefused) {
    book.write("json/game_json.txt",
               R"({"scene_type":"1","scene_width":"1024","scene_height":"768","scene_number":3})");
    EXPECT_EQ(parser.initGameJson(book.jsonDir().c_str()), nullptr);
    EXPECT_TRUE(reported("Key \"scene_number\" is not a string !"));

    Json doc = scene({}, {sprite("cat")});
    cJSON_ReplaceItemInObject(cJSON_GetArrayItem(cJSON_GetObjectItem(sceneOf(doc.get()), "sprite"), 0),
                              "sprite_zoom_rate", cJSON_CreateNumber(1.5));
    EXPECT_EQ(parsePage(doc.get()), nullptr);
    EXPECT_TRUE(reported("Key \"sprite_zoom_rate\" is not a string !"));
    EXPECT_EQ(parser.liveScenes(), 0u);
}

TEST_F(BookTest, MissingBookOrPathIsReported) {
    EXPECT_EQ(parser.initGameJson(nullptr), nullptr);
    EXPECT_EQ(parser.initGameJson(book.jsonDir().c_str()), nullptr); // no game_json.txt
    EXPECT_EQ(parser.parse(0), nullptr);
    EXPECT_EQ(reports,
              (std::vector<std::string>{"The import path is empty !", "read file fail or path error !"}));

    SParser fresh;
    fresh.setEcho(false);
    std::vector<std::string> freshReports;
    fresh.setReportListener([&](const std::string& text) { freshReports.push_back(text); });
    EXPECT_EQ(fresh.parse(0), nullptr); // before any book: no root path
    EXPECT_EQ(freshReports, std::vector<std::string>{"Root path or sub path is NULL !\n"});
}

TEST_F(BookTest, EveryKeyLandsInTheFieldOfItsName) {
    Json doc = scene({button("button_right")}, {sprite("cat", {action("Sprite_CCAction_8")}, {action()})});
    SScene* s = parsePage(doc.get());
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->scene_name, "page");
    EXPECT_STREQ(s->scene_picture_file, "bg.png");
    EXPECT_STREQ(s->scene_change, "Scene_CCAction_1");
    EXPECT_FLOAT_EQ(s->scene_enter_delay_time, 1500);
    EXPECT_FLOAT_EQ(s->scene_auto_changepage_time, 3000);
    EXPECT_STREQ(s->scene_music, "song.mp3");
    EXPECT_STREQ(s->scene_music_type, "0");
    EXPECT_FLOAT_EQ(s->scene_music_gap_time, 0.25f);
    EXPECT_STREQ(s->scene_vedio_file, "clip.mp4");
    EXPECT_FLOAT_EQ(s->scene_vedio_rect.height, 4);

    const SButton& b = s->buttons[0];
    EXPECT_STREQ(b.button_name, "button_right");
    EXPECT_STREQ(b.button_picture_file, "next.png");
    EXPECT_FLOAT_EQ(b.button_rect.x, 10);
    EXPECT_FLOAT_EQ(b.button_rect.y, 20);
    EXPECT_FLOAT_EQ(b.button_rect.width, 64);
    EXPECT_FLOAT_EQ(b.button_rect.height, 64);

    const SSprite& sp = s->sprites[0];
    EXPECT_STREQ(sp.sprite_name, "cat");
    EXPECT_STREQ(sp.sprite_picture_file, "cat.png");
    EXPECT_FLOAT_EQ(sp.sprite_position.x, 100);
    EXPECT_FLOAT_EQ(sp.sprite_position.y, 200);
    EXPECT_FLOAT_EQ(sp.sprite_zoom_rate, 1.5f);
    EXPECT_FLOAT_EQ(sp.sprite_ethreal_rate, 255);
    EXPECT_STREQ(sp.sprite_music_file, "meow.mp3");
    EXPECT_STREQ(sp.sprite_action_type, "t");
    EXPECT_STREQ(sp.sprite_action_prev, "p");
    EXPECT_STREQ(sp.sprite_action_next, "n");
    EXPECT_EQ(sp.click_action, nullptr);
    ASSERT_NE(sp.default_action, nullptr);
    ASSERT_NE(sp.hotspot_action, nullptr);
    EXPECT_STREQ(sp.default_action[0].action_type, "Sprite_CCAction_1");

    const SAction& a = sp.hotspot_action[0];
    EXPECT_STREQ(a.action_type, "Sprite_CCAction_8");
    EXPECT_FLOAT_EQ(a.action_delay_time, 1500);
    EXPECT_EQ(a.action_repeat_num, 3);
    EXPECT_EQ(a.action_repeat_num_jump, 4);
    EXPECT_FLOAT_EQ(a.jump_height, 5.5f);
    EXPECT_EQ(a.texture_num, 6);
    EXPECT_FLOAT_EQ(a.texture_height, 7); // read before the width, stored after it
    EXPECT_FLOAT_EQ(a.texture_width, 8);
    EXPECT_STREQ(a.texture_picture_file, "strip.png");
    EXPECT_STREQ(a.action_music_file, "boing.mp3");
    EXPECT_FLOAT_EQ(a.scale_rate, 1.25f);
    EXPECT_FLOAT_EQ(a.toright_delay_time, 300);
    EXPECT_FLOAT_EQ(a.toright_angle, 15);
    EXPECT_FLOAT_EQ(a.toleft_delay_time, 400);
    EXPECT_FLOAT_EQ(a.toleft_angle, -15);
    EXPECT_FLOAT_EQ(a.delta_angle, 90);
    EXPECT_FLOAT_EQ(a.color_red, 11);
    EXPECT_FLOAT_EQ(a.color_green, 22); // read after blue, stored before it
    EXPECT_FLOAT_EQ(a.color_blue, 33);
    EXPECT_FLOAT_EQ(a.ctl_pt1.y, 2);
    EXPECT_FLOAT_EQ(a.ctl_pt2.x, 3);
    EXPECT_FLOAT_EQ(a.dst_point.x, 500);
    EXPECT_FLOAT_EQ(a.dst_point.y, 600);
    EXPECT_FLOAT_EQ(a.hotspot_position.width, 100);
    EXPECT_FLOAT_EQ(a.hotspot_position.height, 50);
    EXPECT_EQ(a.unidirectionalMovement, 1);
    EXPECT_FLOAT_EQ(a.animation_movementBefore_delayTime, 0.5f);
    EXPECT_FLOAT_EQ(a.animation_moving_time, 2.5f);
    EXPECT_EQ(a.toPageNumber, 2);
    EXPECT_STREQ(a.scene_change, "Scene_CCAction_3");
    EXPECT_TRUE(reports.empty());
    parser.deleteScene(s);
}

TEST_F(BookTest, KeysMatchWithoutCaseFirstDuplicateWinsUnknownKeysIgnored) {
    Json doc = scene();
    cJSON* obj = sceneOf(doc.get());
    cJSON_DeleteItemFromObject(obj, "scene_name");
    cJSON_AddStringToObject(obj, "SCENE_NAME", "upper");
    cJSON_AddStringToObject(obj, "scene_name", "second");
    cJSON_AddStringToObject(obj, "author_note", "ignored");
    cJSON_AddItemToObject(obj, "scene_number_extra", cJSON_CreateNumber(4));
    SScene* s = parsePage(doc.get());
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->scene_name, "upper");
    parser.deleteScene(s);
}

TEST_F(BookTest, PageFileNamesAreNotPadded) {
    Json seven = scene();
    setString(sceneOf(seven.get()), "scene_name", "seven");
    Json ten = scene();
    setString(sceneOf(ten.get()), "scene_name", "ten");
    book.writeJson("scene_json7.txt", seven.get());
    book.writeJson("scene_json10.txt", ten.get());
    book.writeJson("scene_json08.txt", seven.get());
    book.writeJson("game_json.txt", gameJson(11).get());
    parser.release(parser.initGameJson(book.jsonDir().c_str()), 0);

    SScene* s = parser.parse(7);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->scene_name, "seven");
    parser.deleteScene(s);
    s = parser.parse(10);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->scene_name, "ten");
    parser.deleteScene(s);
    EXPECT_EQ(parser.parse(8), nullptr);
}

TEST_F(BookTest, EmptyArraysGiveNoArrayAndZeroCounts) {
    Json doc = scene({}, {sprite("still")});
    SScene* s = parsePage(doc.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->buttons, nullptr);
    EXPECT_EQ(parser.arraySize(s, ARRAY_BUTTON, nullptr), 0);
    EXPECT_EQ(parser.arraySize(s, ARRAY_SPRITE, nullptr), 1);
    EXPECT_EQ(s->sprites[0].hotspot_action, nullptr);
    EXPECT_EQ(s->sprites[0].default_action, nullptr);
    EXPECT_EQ(parser.arraySize(s, ARRAY_HOTSPOT_ACTION, "still"), 0);
    EXPECT_EQ(parser.arraySize(s, ARRAY_DEFAULT_ACTION, "still"), 0);
    parser.deleteScene(s);

    s = parsePage(scene().get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sprites, nullptr);
    EXPECT_EQ(parser.arraySize(s, ARRAY_SPRITE, nullptr), 0);
    EXPECT_EQ(parser.actionSize(s, ARRAY_HOTSPOT_ACTION, "anyone"), 0); // no sprites: 0, not "not found"
    parser.deleteScene(s);
    EXPECT_TRUE(reports.empty());
}

TEST_F(BookTest, HotSpotOnlySpriteHasOnlyTheHotSpotArray) {
    Json doc = scene({}, {sprite("door", {action("Sprite_CCAction_10"), action("Sprite_CCAction_2")})});
    SScene* s = parsePage(doc.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(parser.arraySize(s, ARRAY_HOTSPOT_ACTION, "door"), 2);
    EXPECT_EQ(parser.arraySize(s, ARRAY_DEFAULT_ACTION, "door"), 0);
    ASSERT_NE(s->sprites[0].hotspot_action, nullptr);
    EXPECT_STREQ(s->sprites[0].hotspot_action[1].action_type, "Sprite_CCAction_2");
    EXPECT_EQ(s->sprites[0].default_action, nullptr);
    parser.deleteScene(s);
}

TEST_F(BookTest, CountQueriesByNameAnswerTheFirstSpriteOfThatName) {
    Json doc = scene({button("button_left"), button("button_right")},
                     {sprite("cat", {action(), action()}, {action()}), sprite("dog", {}, {action()}),
                      sprite("cat", {}, {action(), action(), action()})});
    SScene* s = parsePage(doc.get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(parser.arraySize(s, ARRAY_BUTTON, nullptr), 2);
    EXPECT_EQ(parser.arraySize(s, ARRAY_SPRITE, nullptr), 3);
    EXPECT_EQ(parser.arraySize(s, ARRAY_HOTSPOT_ACTION, "cat"), 2);
    EXPECT_EQ(parser.arraySize(s, ARRAY_DEFAULT_ACTION, "cat"), 1);
    EXPECT_EQ(parser.arraySize(s, ARRAY_DEFAULT_ACTION, "dog"), 1);
    // By index each sprite answers its own counts.
    EXPECT_EQ(parser.actionSizeAt(s, ARRAY_HOTSPOT_ACTION, 2), 0);
    EXPECT_EQ(parser.actionSizeAt(s, ARRAY_DEFAULT_ACTION, 2), 3);
    EXPECT_EQ(parser.actionSizeAt(s, ARRAY_DEFAULT_ACTION, 3), -1);
    // Click actions are reserved: always 0, never an array.
    for (const char* name : {"cat", "dog"})
        EXPECT_EQ(parser.arraySize(s, ARRAY_CLICK_ACTION, name), 0) << name;
    EXPECT_EQ(s->sprites[1].click_action, nullptr);
    EXPECT_EQ(parser.arraySize(s, static_cast<ArrayType>(7), nullptr), 0);
    EXPECT_TRUE(reports.empty());
    parser.deleteScene(s);
}

TEST_F(BookTest, FailedCountQueriesAnswerMinusOneWithTheirReports) {
    SScene* s = parsePage(scene({}, {sprite("cat")}).get());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(parser.arraySize(s, ARRAY_DEFAULT_ACTION, "Cat"), -1); // names compare case-sensitively
    EXPECT_EQ(reports, (std::vector<std::string>{"This sprite has not been found !",
                                                 "Get default action array size fail !"}));
    reports.clear();
    EXPECT_EQ(parser.arraySize(s, ARRAY_HOTSPOT_ACTION, nullptr), -1);
    EXPECT_EQ(reports, std::vector<std::string>{"Sprite name error !"});
    reports.clear();

    EngineLogTail log;
    parser.deleteScene(s);
    EXPECT_TRUE(reports.empty());
    // A released scene is refused, not walked: a second release and later queries.
    parser.deleteScene(s);
    EXPECT_EQ(parser.arraySize(s, ARRAY_SPRITE, nullptr), -1);
    parser.deleteScene(nullptr);
    EXPECT_EQ(reports, std::vector<std::string>(3, "The object does not exist or has been deleted !"));
    EXPECT_NE(log.text().find("The object does not exist or has been deleted !"), std::string::npos);
}

TEST_F(BookTest, ScenesOfOneParserKeepTheirOwnCounts) {
    // The page player releases a page before parsing the next; should a caller
    // keep two, each still answers and releases with its own counts.
    SScene* one = parsePage(scene({}, {sprite("a", {action()})}).get(), 0);
    SScene* two = parsePage(scene({button("button_home")}, {sprite("a", {}, {action(), action()})}).get(), 1);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(parser.liveScenes(), 2u);
    EXPECT_EQ(parser.arraySize(one, ARRAY_BUTTON, nullptr), 0);
    EXPECT_EQ(parser.arraySize(one, ARRAY_HOTSPOT_ACTION, "a"), 1);
    EXPECT_EQ(parser.arraySize(two, ARRAY_DEFAULT_ACTION, "a"), 2);
    parser.release(one, 1);
    parser.release(two, 1);
    EXPECT_EQ(parser.liveScenes(), 0u);
    parser.release(nullptr, 1);
    EXPECT_TRUE(reports.empty());
}

TEST_F(BookTest, TextAfterTheDocumentIsIgnoredAsTheJsonLibraryDoes) {
    book.write("json/scene_json0.txt", print(scene().get()) + "\n{trailing}");
    book.writeJson("game_json.txt", gameJson(1).get());
    parser.release(parser.initGameJson(book.jsonDir().c_str()), 0);
    SScene* s = parser.parse(0);
    ASSERT_NE(s, nullptr);
    parser.deleteScene(s);
}

TEST_F(BookTest, FullPathsMustStayBelowTwoHundredCharacters) {
    // Root folder lengths chosen so that root + "scene_json10.txt" is 199 and 200.
    const std::string base = book.dir();
    const std::string name = "scene_json10.txt";
    auto rootOfLength = [&](std::size_t length) {
        std::string root = base + std::string(length - base.size() - 1, 'r') + "/";
        std::filesystem::create_directories(root);
        return root;
    };
    const std::string fits = rootOfLength(199 - name.size());
    const std::string tooLong = rootOfLength(200 - name.size());
    ASSERT_EQ((fits + name).size(), 199u);
    const std::string page = print(scene().get());
    book.write(fits.substr(base.size()) + name, page);
    book.write(tooLong.substr(base.size()) + name, page);

    parser.initGameJson(fits.c_str()); // no descriptor there; sets the root anyway
    SScene* s = parser.parse(10);
    ASSERT_NE(s, nullptr);
    parser.deleteScene(s);

    reports.clear();
    parser.initGameJson(tooLong.c_str());
    EXPECT_EQ(parser.parse(10), nullptr);
    EXPECT_TRUE(reported("The full path is too long !"));

    // A 190-character root with the file name of page 10.
    reports.clear();
    parser.initGameJson(rootOfLength(190).c_str());
    EXPECT_EQ(parser.parse(10), nullptr);
    EXPECT_TRUE(reported("The full path is too long !"));
    EXPECT_EQ(parser.liveScenes(), 0u);
}

TEST_F(BookTest, EngineFunctionsReadABookInTheDocumentedOrder) {
    book.writeJson("game_json.txt", gameJson(2).get());
    book.writeJson("scene_json0.txt", scene({}, {sprite("cat", {action()})}).get());
    Json second = scene();
    setString(sceneOf(second.get()), "scene_music_type", "2abc");
    book.writeJson("scene_json1.txt", second.get());

    testing::internal::CaptureStdout();
    GameJson* game = sParse_InitGameJson(book.jsonDir().c_str());
    ASSERT_NE(game, nullptr);
    ASSERT_EQ(game->scene_number, 2);
    SScene* page = sParse_parse(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(sParse_arraySize(page, ARRAY_SPRITE, nullptr), 1);
    EXPECT_EQ(sParse_arraySize(page, ARRAY_HOTSPOT_ACTION, "cat"), 1);
    EXPECT_EQ(sParse_actionSizeAt(page, ARRAY_HOTSPOT_ACTION, 0), 1);
    sParse_release(page, 1);
    page = sParse_parse(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(sParse_toInt(page->scene_music_type), 2);
    SParse_delete(page);
    sParse_release(game, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("buf11111----------------------------" + book.jsonDir() + "scene_json1.txt\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(SParser::engine().liveScenes(), 0u);
}
