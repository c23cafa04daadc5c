#include "appdelegate.h"

#include "enginelog.h"
#include "sparse.h"
#include "thepage.h"

#include "stage/director.h"

#include <log4cplus/loggingmacros.h>

bool AppDelegate::applicationDidFinishLaunching() {
    BookState& book = bookState();
    LOG4CPLUS_DEBUG(enginelog::logger(), "sParse_InitGameJson");
    const std::string root = book.dataPath + "json/";
    GameJson* g = sParse_InitGameJson(root.c_str());
    if (g == nullptr) {
        LOG4CPLUS_ERROR(enginelog::logger(), "g创建出现了问题，g为空");
        return false;
    }
    book.pageCount = g->scene_number;
    const stage::Size design{g->scene_width, g->scene_height};
    sParse_release(g, 0);

    stage::Director* director = stage::Director::current();
    if (director == nullptr) {
        LOG4CPLUS_ERROR(enginelog::logger(), "director创建出现了问题，director为空");
        return false;
    }
    director->setDepthTest(false);
    director->setProjection(stage::Projection::TwoD);
    director->setDisplayStats(false);
    // Show all: the whole design area, scaled uniformly, the rest of the window left black.
    director->setDesignResolutionSize(design);
    director->setAnimationInterval(1.0 / 60);
    book.currentPage = 0;
    director->runWithScene(ThePage::scene(book.dataPath.c_str()));
    return true;
}

void AppDelegate::applicationDidEnterBackground() {
    if (stage::Director* director = stage::Director::current()) {
        director->stopAnimation();
        director->audio().pauseMusic();
    }
}

void AppDelegate::applicationWillEnterForeground() {
    if (stage::Director* director = stage::Director::current()) {
        director->startAnimation();
        director->audio().resumeMusic();
    }
}

int AppDelegate::run() {
    stage::Director* director = stage::Director::current();
    if (director == nullptr) {
        return 0;
    }
    director->setBackgroundHandlers([this] { applicationDidEnterBackground(); },
                                    [this] { applicationWillEnterForeground(); });
    // Set before launching: a book that shows no page can still be left with Escape.
    director->setKeyHandler([](stage::Key key) { ThePage::keyPressed(key); });
    if (!applicationDidFinishLaunching()) {
        return 0;
    }
    return director->run();
}
