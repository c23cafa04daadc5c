// Test entry: a QApplication (offscreen unless a display is asked for) around GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The catalogue echoes its statements on Qt's debug channel; keep test output readable.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "default.debug=false");
    // Clients started by the suites never ask a time server off this machine
    // (nothing listens on the discard port; the computer's date stays).
    if (qEnvironmentVariableIsEmpty("TAVI_TIME_SERVER"))
        qputenv("TAVI_TIME_SERVER", "127.0.0.1:9");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
