// The book checker on real book folders, through its library and its program.

#include "bookcheck.h"
#include "bookfixture.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace booktest;

namespace {

// Every file the fixture's documents name, so that a book built from them is clean.
void addMedia(const TempBook& book) {
    for (const char* file :
         {"tavigame.dat", "bg.png", "song.mp3", "next.png", "cat.png", "strip.png", "boing.mp3"})
        book.write(file, "x");
}

// A clean three-page book; page 0 has a jump hot spot to page 2.
void writeCleanBook(const TempBook& book) {
    addMedia(book);
    book.writeJson("game_json.txt", gameJson(3).get());
    cJSON* jump = action("Sprite_CCAction_10");
    Json first =
        scene({button("button_right")}, {sprite("cat", {action("Sprite_CCAction_8"), jump}, {action()})});
    book.writeJson("scene_json0.txt", first.get());
    book.writeJson("scene_json1.txt", scene({button("button_left"), button("button_home")}).get());
    book.writeJson("scene_json2.txt",
                   scene({button("button_exit")}, {sprite("dog", {}, {action("Sprite_CCAction_9")})}).get());
}

struct RunResult {
    int status;
    std::string output;
};

RunResult runBookcheck(const std::string& args) {
    const std::string command = std::string(BOOKCHECK_EXE) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool listed(const bookcheck::Report& report, const std::string& file, const std::string& where,
            const std::string& words) {
    return std::any_of(report.problems.begin(), report.problems.end(), [&](const bookcheck::Problem& p) {
        return p.file == file && p.where == where && p.message.find(words) != std::string::npos;
    });
}

std::string all(const bookcheck::Report& report) {
    std::string text;
    for (const auto& p : report.problems)
        text += bookcheck::format(p) + "\n";
    return text;
}

} // namespace

TEST(Bookcheck, CleanBookPassesWithStatusZero) {
    TempBook book;
    writeCleanBook(book);
    const bookcheck::Report report = bookcheck::checkBook(book.dir());
    EXPECT_TRUE(report.problems.empty()) << all(report);
    EXPECT_EQ(report.pages, 3);

    const RunResult run = runBookcheck(book.dir());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("clean, 3 pages"), std::string::npos) << run.output;
}

TEST(Bookcheck, ListsEveryProblemOfABook) {
    TempBook book;
    addMedia(book);
    book.write("images/cat.png", "x");
    book.write("tavigame.dat", "");
    std::remove((book.dir() + "tavigame.dat").c_str());
    std::remove((book.dir() + "boing.mp3").c_str());
    book.writeJson("game_json.txt", gameJson(4).get());

    cJSON* jump = action("Sprite_CCAction_10");
    setString(jump, "toPageNumber", "7");
    setString(jump, "scene_change", "Scene_CCAction_8");
    cJSON* broken = action("Sprite_CCAction_11");
    cJSON_DeleteItemFromObject(broken, "delta_angle");
    cJSON* cat = sprite("cat", {broken, jump});
    setString(cat, "sprite_picture_file", "images/Cat.png");
    cJSON_ReplaceItemInObject(cat, "sprite_zoom_rate", cJSON_CreateNumber(1.5));
    cJSON* twin = sprite("cat", {}, {action("Sprite_CCAction_10")});
    setString(twin, "sprite_position", "100;200");
    Json page = scene({button("button_up", "10,20,64")}, {cat, twin});
    setString(sceneOf(page.get()), "scene_music_type", "2abc");
    setString(sceneOf(page.get()), "scene_change", "Scene_CCAction_9");
    book.writeJson("scene_json0.txt", page.get());
    book.write("json/scene_json2.txt", "{\n  \"scene\": {\n    \"scene_name\": oops\n");
    book.writeJson("scene_json3.txt", scene().get());

    const bookcheck::Report r = bookcheck::checkBook(book.dir());
    const std::string p0 = "json/scene_json0.txt";
    const std::string cat0 = "scene.sprite[0] \"cat\"";
    const std::string cat1 = "scene.sprite[1] \"cat\"";
    EXPECT_TRUE(listed(r, "tavigame.dat", "", "is missing"));
    EXPECT_TRUE(listed(r, "json/scene_json1.txt", "", "is missing: page 1 shows empty"));
    EXPECT_TRUE(listed(r, "json/scene_json2.txt", "", "is not valid JSON (stops at line 3, column 19)"));
    EXPECT_TRUE(
        listed(r, p0, "scene.scene_music_type", "\"2abc\" is not a whole number (the engine reads 2)"));
    EXPECT_TRUE(listed(r, p0, "scene.scene_change", "unknown transition \"Scene_CCAction_9\""));
    EXPECT_TRUE(listed(r, p0, "scene.button[0].button_rect", "is not a rect"));
    EXPECT_TRUE(listed(r, p0, "scene.button[0].button_name", "unknown button \"button_up\""));
    EXPECT_TRUE(listed(r, p0, cat0 + ".sprite_zoom_rate", "write it in quotation marks: \"1.5\""));
    EXPECT_TRUE(
        listed(r, p0, cat0 + ".sprite_picture_file", "(there is \"cat.png\": names are case-sensitive)"));
    EXPECT_TRUE(listed(r, p0, cat0 + ".hotspot_action[0].delta_angle", "is missing"));
    EXPECT_TRUE(
        listed(r, p0, cat0 + ".hotspot_action[0].action_type", "unknown action \"Sprite_CCAction_11\""));
    EXPECT_TRUE(listed(r, p0, cat0 + ".hotspot_action[0].action_music_file", "\"boing.mp3\" does not exist"));
    EXPECT_TRUE(listed(r, p0, cat0 + ".hotspot_action[1].toPageNumber",
                       "jumps to page 7, which does not exist (pages 0 to 3)"));
    EXPECT_TRUE(
        listed(r, p0, cat0 + ".hotspot_action[1].scene_change", "unknown transition \"Scene_CCAction_8\""));
    EXPECT_TRUE(listed(r, p0, cat1 + ".sprite_name", "is also the name of sprite 0"));
    EXPECT_TRUE(listed(r, p0, cat1 + ".sprite_position", "\"100;200\" is not a point"));
    EXPECT_TRUE(listed(r, p0, cat1 + ".default_action[0].action_type", "does nothing as a default action"));
    EXPECT_EQ(r.problems.size(), 19u) << all(r);

    const RunResult run = runBookcheck(book.dir());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("json/scene_json0.txt: scene.button[0].button_name: unknown button"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(": 19 problems"), std::string::npos) << run.output;
}

TEST(Bookcheck, DescriptorProblemsAndUnreadableFolders) {
    TempBook book;
    addMedia(book);
    Json game = gameJson(0, "1024", "0");
    cJSON_AddItemToObject(game.get(), "note", cJSON_CreateString("extra keys are fine"));
    book.writeJson("game_json.txt", game.get());
    const bookcheck::Report r = bookcheck::checkBook(book.dir());
    EXPECT_TRUE(listed(r, "json/game_json.txt", "scene_height", "above 0"));
    EXPECT_TRUE(listed(r, "json/game_json.txt", "scene_number", "no pages"));
    EXPECT_EQ(r.problems.size(), 2u) << all(r);

    std::remove((book.dir() + "json/game_json.txt").c_str());
    EXPECT_TRUE(listed(bookcheck::checkBook(book.dir()), "json/game_json.txt", "",
                       "the engine cannot open the book"));

    EXPECT_EQ(runBookcheck(book.dir() + "no-such-folder").status, 2);
    EXPECT_EQ(runBookcheck("").status, 2);
}
