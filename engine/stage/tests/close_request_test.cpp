// Termination signals as close requests, in child processes (death tests): the director's loop ends
// normally on SIGTERM or SIGINT, and a loop that is stuck does not keep the process alive past the grace
// period.
#include "test_support.h"

#include "stage/close_request.h"

#include <chrono>
#include <csignal>

using namespace stage;
using namespace stagetest;

namespace {

// The program's loop on a headless director; a timer raises the signal once the page runs.
[[noreturn]] void runLoopUntil(int sig) {
    installCloseRequestSignals();
    headless::HeadlessBackend backend({320, 240});
    Director director(backend);
    ScenePtr scene = Scene::create();
    scene->scheduleOnce(
        "signal", [sig](float) { std::raise(sig); }, 0.1f);
    director.runWithScene(scene);
    const int result = director.run();
    std::exit(director.hasEnded() && closeRequested() ? 10 + result : 99);
}

[[noreturn]] void stuckAfter(int sig) {
    installCloseRequestSignals();
    std::raise(sig);
    volatile bool forever = true;
    while (forever) {
    }
    std::exit(99);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(CloseRequestDeathTest, TermAndIntEndTheLoopLikeClosingTheWindow) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runLoopUntil(SIGTERM), ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(runLoopUntil(SIGINT), ::testing::ExitedWithCode(10), "");
}

TEST(CloseRequestDeathTest, AStuckLoopStillEndsTheProcessAfterTheGracePeriod) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EXIT(stuckAfter(SIGTERM), ::testing::ExitedWithCode(128 + SIGTERM), "did not end within a second");
    double took = secondsSince(start);
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 3.0);
    start = std::chrono::steady_clock::now();
    EXPECT_EXIT(stuckAfter(SIGINT), ::testing::ExitedWithCode(128 + SIGINT), "leaving now");
    took = secondsSince(start);
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 3.0);
}
