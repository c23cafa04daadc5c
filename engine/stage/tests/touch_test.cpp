// Touch delivery: priority, claiming and swallowing, and menus selecting and firing items.
#include "test_support.h"

using namespace stage;
using namespace stagetest;

namespace {

class Probe : public TouchDelegate {
public:
    Probe(std::string name, bool claims, std::vector<std::string>& log)
        : name_(std::move(name)), claims_(claims), log_(log) {}
    bool touchBegan(Touch&) override {
        log_.push_back(name_ + ".began");
        return claims_;
    }
    void touchMoved(Touch&) override { log_.push_back(name_ + ".moved"); }
    void touchEnded(Touch&) override { log_.push_back(name_ + ".ended"); }

private:
    std::string name_;
    bool claims_;
    std::vector<std::string>& log_;
};

// A page-like layer: priority 0, swallowing, claims every touch it sees.
class PageLayer : public Layer {
public:
    PageLayer() { setTouchEnabled(true); }
    bool touchBegan(Touch&) override {
        ++began;
        return true;
    }
    int began = 0;
};

} // namespace

TEST(TouchDispatch, LowerPriorityNumbersGoFirstAndAmongEqualsTheNewestGoesFirst) {
    std::vector<std::string> log;
    TouchDispatcher d;
    Probe older("older", false, log);
    Probe newer("newer", true, log);
    Probe urgent("urgent", false, log);
    d.addTargetedDelegate(&older, 0, false);
    d.addTargetedDelegate(&newer, 0, false);
    d.addTargetedDelegate(&urgent, -10, false);
    Touch t(1, {5, 5}, 100);
    d.touchBegan(t);
    EXPECT_EQ(log, (std::vector<std::string>{"urgent.began", "newer.began", "older.began"}));

    // Only the claimer hears the rest of the touch.
    log.clear();
    d.touchMoved(t);
    d.touchEnded(t);
    EXPECT_EQ(log, (std::vector<std::string>{"newer.moved", "newer.ended"}));
    log.clear();
    d.touchMoved(t);
    EXPECT_TRUE(log.empty()) << "an ended touch is no longer claimed";
}

TEST(TouchDispatch, ASwallowingClaimHidesTheTouchFromLaterDelegatesAndOffMeansNothingArrives) {
    std::vector<std::string> log;
    TouchDispatcher d;
    Probe first("first", true, log);
    Probe second("second", true, log);
    d.addTargetedDelegate(&second, 5, false);
    d.addTargetedDelegate(&first, 1, true);
    Touch t(1, {}, 100);
    d.touchBegan(t);
    d.touchEnded(t);
    EXPECT_EQ(log, (std::vector<std::string>{"first.began", "first.ended"}));

    log.clear();
    d.setDispatchEvents(false);
    d.touchBegan(t);
    EXPECT_TRUE(log.empty());
    d.setDispatchEvents(true);

    {
        Probe shortLived("short", true, log);
        d.addTargetedDelegate(&shortLived, 0, true);
    }
    log.clear();
    d.touchBegan(t);
    EXPECT_EQ(log, (std::vector<std::string>{"first.began"})) << "a destroyed delegate unregisters itself";
}

class MenuTest : public StageTest {
protected:
    MenuTest() {
        scene_ = showScene();
        page_ = std::make_shared<PageLayer>();
        scene_->addChild(page_);
        normal_ = writePicture(dir_, "normal.png", 100, 100, {255, 0, 0, 255});
        pressed_ = writePicture(dir_, "pressed.png", 100, 100, {0, 255, 0, 255});
        for (int i = 0; i < 2; ++i) {
            auto item = MenuItemImage::create(normal_, pressed_,
                                              [this](MenuItem& sender) { fired_.push_back(&sender); });
            item->setPosition({200.0f + 200.0f * float(i), 200});
            items_.push_back(item);
        }
        menu_ = Menu::create({items_[0], items_[1]});
        menu_->setPosition({0, 0});
        page_->addChild(menu_, 1);
    }

    ScenePtr scene_;
    std::shared_ptr<PageLayer> page_;
    std::shared_ptr<Menu> menu_;
    std::vector<std::shared_ptr<MenuItemImage>> items_;
    std::vector<MenuItem*> fired_;
    std::string normal_;
    std::string pressed_;
};

TEST_F(MenuTest, ReleasingInsideAnItemFiresItOnceAndThePageNeverSeesTheTouch) {
    touch(InputEvent::Kind::TouchBegan, designToWindow({210, 190}));
    EXPECT_TRUE(items_[0]->isSelected());
    EXPECT_TRUE(items_[0]->selectedImage()->isVisible());
    EXPECT_FALSE(items_[0]->normalImage()->isVisible());
    EXPECT_TRUE(fired_.empty()) << "nothing fires on the press";
    touch(InputEvent::Kind::TouchEnded, designToWindow({249, 151})); // still inside
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0], items_[0].get());
    EXPECT_FALSE(items_[0]->isSelected());
    EXPECT_TRUE(items_[0]->normalImage()->isVisible());
    EXPECT_EQ(page_->began, 0);

    tap({300, 200}); // between the items: the page gets it
    EXPECT_EQ(page_->began, 1);
    EXPECT_EQ(fired_.size(), 1u);
}

TEST_F(MenuTest, TheItemUnderTheFingerAtReleaseFiresAndSlidingOffCancels) {
    touch(InputEvent::Kind::TouchBegan, designToWindow({200, 200}));
    touch(InputEvent::Kind::TouchMoved, designToWindow({400, 200}));
    EXPECT_FALSE(items_[0]->isSelected());
    EXPECT_TRUE(items_[1]->isSelected());
    touch(InputEvent::Kind::TouchEnded, designToWindow({400, 200}));
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0], items_[1].get());

    touch(InputEvent::Kind::TouchBegan, designToWindow({200, 200}));
    touch(InputEvent::Kind::TouchMoved, designToWindow({200, 600}));
    EXPECT_EQ(menu_->selectedItem(), nullptr);
    touch(InputEvent::Kind::TouchEnded, designToWindow({200, 600}));
    EXPECT_EQ(fired_.size(), 1u);
    EXPECT_EQ(page_->began, 0);
}

TEST_F(MenuTest, OverlappingItemsGiveTheTouchToTheFirstAndHiddenOrDisabledItemsAreSkipped) {
    items_[1]->setPosition({250, 200}); // overlaps the first, drawn over it
    tap({240, 200});
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0], items_[0].get());

    items_[0]->setEnabled(false);
    tap({240, 200});
    ASSERT_EQ(fired_.size(), 2u);
    EXPECT_EQ(fired_[1], items_[1].get());

    items_[1]->setVisible(false);
    tap({240, 200});
    EXPECT_EQ(fired_.size(), 2u);
    EXPECT_EQ(page_->began, 1);
}

TEST_F(MenuTest, ItemsFollowTheirMenuAndAMenuStartsAtTheWindowCentre) {
    EXPECT_EQ(Menu::create({})->position(), Point(512, 384));
    menu_->setPosition({100, 0});
    tap({310, 200});
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0], items_[0].get());
}

TEST_F(MenuTest, TouchesAreDroppedWhileATransitionRuns) {
    ScenePtr next = Scene::create();
    director().replaceScene(SlideInTransition::create(1, next, SlideEdge::Left));
    frames(2);
    tap({200, 200});
    EXPECT_TRUE(fired_.empty());
    EXPECT_EQ(page_->began, 0);
}
