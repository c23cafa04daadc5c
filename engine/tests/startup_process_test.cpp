// taviplay started as a real process: the command line, the exit codes, the log beside the executable.
// The window comes from SDL's dummy video driver here (no display needed); the real window is tested
// under Xvfb in window_xvfb_test.cpp.
#include "page_support.h"
#include "process_support.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace pagetest;

namespace {

const std::vector<std::string> kNoDevices{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "DISPLAY="};

// The engine copied into <tmp>/bin/engine/, so its log lands there; runs with <tmp>/work as its folder.
class Startup : public ::testing::Test {
protected:
    Startup() : root_(booktest::makeTempDir("taviplay-start")) {
        fs::create_directories(root_ + "bin/engine");
        fs::create_directories(root_ + "work");
        program_ = root_ + "bin/engine/taviplay";
        fs::copy_file(TAVIPLAY_PROGRAM, program_);
    }
    ~Startup() override {
        engine_.stop();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string logText() const { return booktest::readText(root_ + "bin/engine/taviengine.log"); }
    std::vector<std::string> errors() const {
        std::vector<std::string> out;
        for (const auto& line : booktest::logLines(logText())) {
            if (line.level == "ERROR") {
                out.push_back(line.message);
            }
        }
        return out;
    }
    bool start(const std::vector<std::string>& args, const std::vector<std::string>& env = kNoDevices) {
        return engine_.start(program_, args, env, root_ + "work", root_ + "output.txt");
    }
    bool logSays(const std::string& text, int timeoutMs = 20000) {
        return proctest::waitUntil([&] { return has(logText(), text); }, timeoutMs);
    }

    std::string root_;
    std::string program_;
    proctest::Child engine_;
};

TEST_F(Startup, WithoutABookFolderItLogsAndEndsWithTwo) {
    ASSERT_TRUE(start({}));
    EXPECT_EQ(engine_.wait(20000), 2);
    const auto lines = booktest::logLines(logText());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().message, ">>>> new instance");
    EXPECT_EQ(lines.front().level, "INFO");
    EXPECT_EQ(errors(), std::vector<std::string>{"lpCmdLine is NULL!"});
    // An empty argument is no book folder either.
    ASSERT_TRUE(start({""}));
    EXPECT_EQ(engine_.wait(20000), 2);
    EXPECT_EQ(errors(), (std::vector<std::string>{"lpCmdLine is NULL!", "lpCmdLine is NULL!"}));
    // Crash reports go to "dumps" in the working folder.
    EXPECT_TRUE(fs::is_directory(root_ + "work/dumps"));
}

TEST_F(Startup, FolderWithoutABookDescriptorShowsNoPage) {
    fs::create_directories(root_ + "nobook/json");
    const std::string folder = root_ + "nobook/";
    ASSERT_TRUE(start({folder}));
    EXPECT_EQ(engine_.wait(20000), 0);
    const std::string text = logText();
    EXPECT_TRUE(has(text, "run:" + folder));
    EXPECT_TRUE(has(text, "g创建出现了问题，g为空"));
    EXPECT_FALSE(has(text, "ThePage::scene"));
    EXPECT_TRUE(has(text, "<<<< exit"));
}

TEST_F(Startup, FolderWithBlanksArrivesWholeAndThePageIsPlayed) {
    const std::string folder = root_ + "my book/";
    fs::create_directories(folder + "json");
    writePng(folder + "bg.png", 320, 240, {0, 128, 255, 255});
    writePng(folder + "cat.png", 40, 40, {255, 0, 0, 255});
    writeWav(folder + "song.wav", 1.0);
    booktest::Json descriptor = booktest::gameJson(1, "320", "240");
    booktest::Json scene = page({}, {sprite("cat", "cat.png", "10,10")},
                                {{"scene_music", "song.wav"}, {"scene_music_type", "1"}});
    {
        std::ofstream(folder + "json/game_json.txt") << booktest::print(descriptor.get());
        std::ofstream(folder + "json/scene_json0.txt") << booktest::print(scene.get());
    }
    // The shell split the folder at its blank; the engine joins the arguments again.
    ASSERT_TRUE(start({root_ + "my", "book/"}));
    ASSERT_TRUE(logSays("<<< ThePage::drawView")) << logText();
    EXPECT_TRUE(has(logText(), "run:" + folder));
    EXPECT_TRUE(engine_.running());
    // The window's close (here: a terminate signal, which the engine takes as a close request) ends it
    // normally.
    engine_.signal(SIGTERM);
    EXPECT_EQ(engine_.wait(20000), 0);
    EXPECT_TRUE(has(logText(), "<<<< exit"));
    EXPECT_TRUE(errors().empty()) << logText();
}

// A page whose actions would have a frame catch up on billions of loops: a frame animation of 4096
// frames without delay, a rotation and a swing without duration, each with the largest count a book can
// write. The engine still draws frames, and a close request ends it within a second.
TEST_F(Startup, APageOfEndlessZeroLengthLoopsStillEndsWithinASecondOfTermOrInt) {
    const std::string folder = root_ + "frantic/";
    fs::create_directories(folder + "json");
    writePng(folder + "bg.png", 320, 240, {0, 128, 255, 255});
    writePng(folder + "cat.png", 40, 40, {255, 0, 0, 255});
    writePng(folder + "strip.png", 4096, 2, {0, 255, 0, 255});
    const char* most = "2147483647";
    booktest::Json scene = page(
        {},
        {sprite("cat", "cat.png", "10,10", {},
                {action("Sprite_CCAction_8", {{"texture_num", "4096"},
                                              {"texture_width", "1"},
                                              {"texture_height", "2"},
                                              {"texture_picture_file", "strip.png"},
                                              {"action_delay_time", "0"},
                                              {"action_repeat_num", most}})}),
         sprite(
             "dog", "cat.png", "100,10", {},
             {action("Sprite_CCAction_4",
                     {{"delta_angle", "90"}, {"unidirectionalMovement", "1"}, {"action_repeat_num", most}})}),
         sprite("owl", "cat.png", "200,10", {},
                {action("Sprite_CCAction_3",
                        {{"toright_angle", "20"}, {"toleft_angle", "-20"}, {"action_repeat_num", most}})})});
    {
        std::ofstream(folder + "json/game_json.txt")
            << booktest::print(booktest::gameJson(1, "320", "240").get());
        std::ofstream(folder + "json/scene_json0.txt") << booktest::print(scene.get());
    }
    const auto exits = [&] {
        const std::string text = logText();
        int n = 0;
        for (auto at = text.find("<<<< exit"); at != std::string::npos; at = text.find("<<<< exit", at + 1)) {
            ++n;
        }
        return n;
    };
    int ended = 0;
    for (int sig : {SIGTERM, SIGINT}) {
        const int drawn = int(booktest::logLines(logText()).size());
        ASSERT_TRUE(start({folder}));
        ASSERT_TRUE(proctest::waitUntil(
            [&] {
                const auto lines = booktest::logLines(logText());
                return std::any_of(
                    lines.begin() + std::min<std::ptrdiff_t>(drawn, std::ptrdiff_t(lines.size())),
                    lines.end(),
                    [](const booktest::LogLine& l) { return l.message == "<<< ThePage::drawView"; });
            },
            20000))
            << logText();
        proctest::sleepMs(500);
        ASSERT_TRUE(engine_.running());
        engine_.signal(sig);
        // The loop's own end, not the forced one after the grace period.
        EXPECT_EQ(engine_.wait(1000), 0) << "signal " << sig;
        engine_.stop();
        EXPECT_EQ(exits(), ++ended) << "signal " << sig;
    }
}

TEST_F(Startup, CrashReportsThatCannotBeInstalledEndWithOne) {
    // A file where the report folder should be.
    std::ofstream(root_ + "work/dumps") << "in the way";
    ASSERT_TRUE(start({root_ + "nobook/"}));
    EXPECT_EQ(engine_.wait(20000), 1);
    const auto lines = errors();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("crInstall error: ", 0), 0u) << lines[0];
    EXPECT_FALSE(has(logText(), "lpCmdLine"));
}

} // namespace
