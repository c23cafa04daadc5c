// The engine log: where it is written, its line layout, rolling, and what happens
// when its folder is missing. Reads the real log files back.

#include "bookfixture.h"
#include "enginelog.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <log4cplus/loggingmacros.h>
#include <regex>

namespace fs = std::filesystem;
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
    const std::regex line(
        R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} INFO  - >>>> new instance \(.*enginelog_test\.cpp:\d+\)\n)"
        R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} ERROR - g创建出现了问题，g为空 \(.*enginelog_test\.cpp:\d+\)\n)");
    EXPECT_TRUE(std::regex_match(text, line)) << text;
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
    enginelog::setupEngineLog(missing);
    LOG4CPLUS_ERROR(enginelog::logger(), "lost");
    EXPECT_FALSE(fs::exists(dir + "not"));
}
