// taviplay: plays one interactive picture book full screen. The whole command line after the program's
// name is the book's folder (ending with "/"), taken as it is: a folder with blanks arrives whole.
//
// Exit codes: 1 crash reports could not be installed, 2 no book folder given, 3 no window could be
// opened; otherwise the application loop's result (0).
#include "appdelegate.h"
#include "crashreport.h"
#include "enginelog.h"
#include "pagestage.h"
#include "thepage.h"

#include "stage/close_request.h"
#include "stage/director.h"
#include "stage/sdl/window_backend.h"

#include <log4cplus/loggingmacros.h>

#include <cstdlib>
#include <string>

namespace {

std::string commandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

bool installCrashReporting() {
    crash::InstallInfo info = crash::programInstall("TaviEngine");
    info.privacyPolicyUrl = "https://www.tavinet.cn/privacy.html";
    if (crash::install(info) == 0) {
        return true;
    }
    const std::string message = crash::lastErrorMessage(256);
    LOG4CPLUS_ERROR(enginelog::logger(), "crInstall error: " << message);
    stage::sdl::showErrorBox("crInstall error", message);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    enginelog::setupEngineLog(enginelog::executableDir());
    log4cplus::Logger logger = enginelog::logger();
    LOG4CPLUS_INFO(logger, ">>>> new instance");
    pagestage::routeStageLogToEngineLog();

    if (!installCrashReporting()) {
        return 1;
    }
    const std::string line = commandLine(argc, argv);
    if (line.empty()) {
        LOG4CPLUS_ERROR(logger, "lpCmdLine is NULL!");
        return 2;
    }

    // Before the window: the window library then leaves these signals to us.
    stage::installCloseRequestSignals();
    AppDelegate app;
    int result = 3;
    {
        std::string error;
        stage::sdl::WindowBackend::Options options;
        options.title = "tavinet";
        options.fullscreen = true;
        auto window = stage::sdl::WindowBackend::create(options, error);
        if (!window) {
            LOG4CPLUS_ERROR(logger, "window创建出现了问题，window为空: " << error);
        } else {
            // The director goes before the window it draws into.
            stage::Director director(*window);
            LOG4CPLUS_INFO(logger, "run:" << line);
            bookState().dataPath = line;
            // For measuring what the engine costs: the frames shown so far, once a second.
            const char* stats = std::getenv("TAVIPLAY_FRAME_STATS");
            if (stats != nullptr && *stats != '\0' && std::string(stats) != "0") {
                director.setFrameReport(1.0, [&director, &logger] {
                    LOG4CPLUS_INFO(logger, "frames presented: " << director.framesPresented() << " steps: "
                                                                << director.frames() << " in part: "
                                                                << director.framesPresentedInPart());
                });
            }
            result = app.run();
            LOG4CPLUS_INFO(logger, "frames presented: " << director.framesPresented()
                                                        << " steps: " << director.frames()
                                                        << " in part: " << director.framesPresentedInPart());
        }
    }
    LOG4CPLUS_INFO(logger, "<<<< exit");
    logger.removeAllAppenders();
    return result;
}
