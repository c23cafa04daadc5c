// Value conversions of the scene format: integers and reals written as strings,
// point and rect strings, and their reports.

#include "enginelogtail.h"
#include "sparse.h"

#include <cmath>
#include <gtest/gtest.h>

using booktest::EngineLogTail;
using booktest::parserErrors;

TEST(SceneValues, IntegersReadLikeAtoiAndSaturate) {
    EXPECT_EQ(sParse_toInt("3"), 3);
    EXPECT_EQ(sParse_toInt("2abc"), 2);
    EXPECT_EQ(sParse_toInt(""), 0);
    EXPECT_EQ(sParse_toInt("abc"), 0);
    EXPECT_EQ(sParse_toInt("  -7x"), -7);
    EXPECT_EQ(sParse_toInt("+12"), 12);
    EXPECT_EQ(sParse_toInt("3.9"), 3);
    EXPECT_EQ(sParse_toInt("-1"), -1);
    EXPECT_EQ(sParse_toInt("99999999999"), INT32_MAX);
    EXPECT_EQ(sParse_toInt("-99999999999"), INT32_MIN);
    EXPECT_EQ(sParse_toInt(nullptr), 0);
}

TEST(SceneValues, RealsReadLikeAtofWithADecimalPoint) {
    EXPECT_FLOAT_EQ(sParse_toReal("1500"), 1500.0f);
    EXPECT_FLOAT_EQ(sParse_toReal("0.5px"), 0.5f);
    EXPECT_FLOAT_EQ(sParse_toReal(" -2.5e1"), -25.0f);
    EXPECT_FLOAT_EQ(sParse_toReal(""), 0.0f);
    EXPECT_FLOAT_EQ(sParse_toReal("abc"), 0.0f);
    EXPECT_FLOAT_EQ(sParse_toReal("1,5"), 1.0f);
    EXPECT_TRUE(std::isinf(sParse_toReal("1e300")));
    EXPECT_LT(sParse_toReal("-1e300"), 0.0f);
}

TEST(SceneValues, TruncationToWholeUnitsIsDefinedForEveryFloat) {
    // Transition durations: the ms value divided by 1000, truncated towards zero.
    EXPECT_EQ(sParse_truncToInt(sParse_toReal("1500") / 1000), 1);
    EXPECT_EQ(sParse_truncToInt(sParse_toReal("800") / 1000), 0);
    EXPECT_EQ(sParse_truncToInt(sParse_toReal("999") / 1000), 0);
    EXPECT_EQ(sParse_truncToInt(-0.9f), 0);
    EXPECT_EQ(sParse_truncToInt(255.9f), 255);
    EXPECT_EQ(sParse_truncToInt(NAN), 0);
    EXPECT_EQ(sParse_truncToInt(1e20f), INT32_MAX);
    EXPECT_EQ(sParse_truncToInt(-1e20f), INT32_MIN);
    EXPECT_EQ(sParse_truncToInt(INFINITY), INT32_MAX);
}

namespace {

struct PointCase {
    const char* text;
    bool good;
    SPoint expected;
};

struct RectCase {
    const char* text;
    bool good;
    SRect expected;
};

class PointsAndRects : public ::testing::Test {
protected:
    PointsAndRects() {
        parser.setEcho(false);
        parser.setReportListener([this](const std::string& text) { reports.push_back(text); });
    }
    SParser parser;
    std::vector<std::string> reports;
};

} // namespace

TEST_F(PointsAndRects, PointStringsNeedExactlyOneComma) {
    const PointCase cases[] = {
        {"100,200", true, {100, 200}}, {" 7 , 8", true, {7, 8}}, {",", true, {0, 0}},  {"", true, {0, 0}},
        {"100;200", false, {0, 0}},    {"1,2,3", false, {0, 0}}, {"5", false, {0, 0}},
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(c.text);
        reports.clear();
        SPoint point{0, 0};
        SPoint* result = parser.getPoint(&point, c.text);
        EXPECT_EQ(result, c.good ? &point : nullptr);
        EXPECT_FLOAT_EQ(point.x, c.expected.x);
        EXPECT_FLOAT_EQ(point.y, c.expected.y);
        EXPECT_EQ(reports,
                  c.good ? std::vector<std::string>{} : std::vector<std::string>{"point parameter error"});
    }
}

TEST_F(PointsAndRects, MalformedOrEmptyTextLeavesTheTargetAlone) {
    SPoint point{9, 9};
    EXPECT_EQ(parser.getPoint(&point, "1;2"), nullptr);
    EXPECT_EQ(parser.getPoint(&point, ""), &point);
    EXPECT_FLOAT_EQ(point.x, 9);
    SRect rect{9, 9, 9, 9};
    EXPECT_EQ(parser.getRect(&rect, "1,2,3"), &rect);
    EXPECT_EQ(parser.getRect(&rect, ""), &rect);
    EXPECT_FLOAT_EQ(rect.x, 9);
    EXPECT_FLOAT_EQ(rect.height, 9);
    EXPECT_EQ(reports, (std::vector<std::string>{"point parameter error", "Rect parameter error"}));
}

TEST_F(PointsAndRects, RectStringsNeedExactlyThreeCommas) {
    const RectCase cases[] = {
        {"10,20,64,64", true, {10, 20, 64, 64}},
        {"1.5, 2.5 ,3,4", true, {1.5f, 2.5f, 3, 4}},
        {"", true, {0, 0, 0, 0}},
        {"10,20,64", false, {0, 0, 0, 0}},
        {"1,2,3,4,5", false, {0, 0, 0, 0}},
        {"10 20 64 64", false, {0, 0, 0, 0}},
    };
    for (const RectCase& c : cases) {
        SCOPED_TRACE(c.text);
        reports.clear();
        SRect rect{0, 0, 0, 0};
        EXPECT_EQ(parser.getRect(&rect, c.text), &rect);
        EXPECT_FLOAT_EQ(rect.x, c.expected.x);
        EXPECT_FLOAT_EQ(rect.y, c.expected.y);
        EXPECT_FLOAT_EQ(rect.width, c.expected.width);
        EXPECT_FLOAT_EQ(rect.height, c.expected.height);
        EXPECT_EQ(reports,
                  c.good ? std::vector<std::string>{} : std::vector<std::string>{"Rect parameter error"});
    }
}

TEST(SceneReports, GoToStandardOutputAndToTheEngineLogWithFileAndLine) {
    SParser parser;
    EngineLogTail log;
    SPoint point{0, 0};
    testing::internal::CaptureStdout();
    parser.getPoint(&point, "5");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "point parameter error\n");
    // "ERR:sparse.cpp <line> <text>" at ERROR level, its location in sparse.cpp.
    EXPECT_EQ(parserErrors(log.text()), std::vector<std::string>{"point parameter error"}) << log.text();
}

TEST(SceneReports, TheEngineParserBehindTheFreeFunctionsReportsToo) {
    EngineLogTail log;
    testing::internal::CaptureStdout();
    SRect rect{0, 0, 0, 0};
    EXPECT_EQ(sParse_getRect(&rect, "10,20,64"), &rect);
    EXPECT_EQ(sParse_readStringToStack(nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Rect parameter error\nMemory has been released or has not been created \xEF\xBC\x81\n");
    EXPECT_EQ(parserErrors(log.text()).size(), 2u) << log.text();
    char* copy = sParse_readStringToStack("bg.png");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "bg.png");
    std::free(copy);
}

TEST(SceneValues, PlainDecimalsConvertExactlyAsTheLibraryDoes) {
    // Short decimals take a direct route; it must agree with strtod to the bit.
    const char* samples[] = {"0.1",
                             "0.3",
                             "1500",
                             "-0.25",
                             "123456789012345",
                             "0.000001",
                             "99999.99999",
                             "3.4028235",
                             " +7.5 ",
                             "1234567890123456",
                             "0.7",
                             "-0",
                             "4503599627370497",
                             "12.",
                             ".5"};
    for (const char* text : samples)
        EXPECT_EQ(sParse_toReal(text), static_cast<float>(std::strtod(text, nullptr))) << text;
    std::srand(7);
    for (int i = 0; i < 20000; ++i) {
        char text[40];
        std::snprintf(text, sizeof text, "%d.%0*d", std::rand() % 100000, 1 + std::rand() % 9,
                      std::rand() % 1000000000);
        ASSERT_EQ(sParse_toReal(text), static_cast<float>(std::strtod(text, nullptr))) << text;
    }
}
