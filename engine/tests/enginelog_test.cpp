// The engine log: where it is written, its line layout, rolling, and what happens
// when its folder is missing. Reads the real log files back.

#include "bookfixture.h"
#include "enginelog.h"
#include "enginelogtail.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <log4cplus/loggingmacros.h>
#include <thread>

namespace fs = std::filesystem;
using booktest::logLines;
using booktest::makeTempDir;
using booktest::readText;

namespace {

class EngineLogTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Detach the appender before its folder goes away.
        enginelog::logger().removeAllAppenders();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string dir = makeTempDir("tavienginelog");
};

} // namespace

TEST_F(EngineLogTest, ExecutableFolderHoldsTheRunningProgram) {
    const std::string exeDir = enginelog::executableDir();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_NE(exeDir.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(exeDir) / program_invocation_short_name)) << exeDir;
}

TEST_F(EngineLogTest, LinesUseTheCommonLayoutAndNameTheirSource) {
    enginelog::setupEngineLog(dir);
    LOG4CPLUS_INFO(enginelog::logger(), ">>>> new instance");
    LOG4CPLUS_ERROR(log4cplus::Logger::getInstance("ENGINE_LOGGER"), "g创建出现了问题，g为空");
    const std::string text = readText(dir + "taviengine.log");
    const auto lines = logLines(text);
    ASSERT_EQ(lines.size(), 2u) << text;
    EXPECT_EQ(lines[0].level, "INFO");
    EXPECT_EQ(lines[0].message, ">>>> new instance");
    EXPECT_EQ(lines[1].level, "ERROR");
    EXPECT_EQ(lines[1].message, "g创建出现了问题，g为空");
    EXPECT_EQ(fs::path(lines[1].file).filename(), "enginelog_test.cpp");
    EXPECT_EQ(lines[1].line, lines[0].line + 1);
    EXPECT_EQ(text.find(" INFO  - "), 23u) << "level padded to five characters";
}

TEST_F(EngineLogTest, FileRollsOverAtTenMebibytes) {
    enginelog::setupEngineLog(dir);
    const std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 170; ++i) // about 10.6 MiB
        LOG4CPLUS_INFO(enginelog::logger(), chunk);
    const auto first = fs::file_size(dir + "taviengine.log.1");
    EXPECT_GE(first, 10485760u);
    EXPECT_LT(first, 10485760u + chunk.size() + 200);
    EXPECT_LT(fs::file_size(dir + "taviengine.log"), 10485760u);
    EXPECT_FALSE(fs::exists(dir + "taviengine.log.2"));
}

TEST_F(EngineLogTest, MissingFolderIsNotCreatedAndLoggingGoesOn) {
    const std::string missing = dir + "not/there";
    const std::string file = missing + "/taviengine.log";
    ::testing::internal::CaptureStderr();
    const log4cplus::Logger logger = enginelog::setupEngineLog(missing);
    LOG4CPLUS_ERROR(enginelog::logger(), "lost");
    const std::string complaint = ::testing::internal::GetCapturedStderr();
    // The appender is in place, on that very file: log4cplus says it cannot open it.
    EXPECT_EQ(logger.getName(), "ENGINE_LOGGER");
    EXPECT_EQ(enginelog::logger().getAllAppenders().size(), 1u);
    EXPECT_TRUE(complaint.find(file) != std::string::npos) << complaint;
    // Nothing is made for it.
    EXPECT_FALSE(fs::exists(dir + "not"));
    // Logging goes on: the calls are harmless, and once the folder is there the lines reach the file
    // (log4cplus tries the file again a second after a failure).
    fs::create_directories(missing);
    bool reached = false;
    for (int tries = 0; tries < 50 && !reached; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        LOG4CPLUS_ERROR(enginelog::logger(), "found");
        reached = readText(file).find("found") != std::string::npos;
    }
    EXPECT_TRUE(reached) << readText(file);
    EXPECT_EQ(readText(file).find("lost"), std::string::npos);
}
