// Page transitions: the life cycle around them and the motion each one shows.
#include "test_support.h"

using namespace stage;
using namespace stagetest;

namespace {
constexpr float kStep = 0.25f; // exact in binary, so times land where the test says
}

class TransitionTest : public StageTest {
protected:
    TransitionTest() {
        outPicture_ = writePicture(dir_, "out.png", 16, 16, {255, 0, 0, 255});
        inPicture_ = writePicture(dir_, "in.png", 16, 16, {0, 0, 255, 255});
    }

    // Shows a page with the "out" picture, then starts `make(in-page)` and steps to the transition's
    // first frame on stage.
    template <typename Make> std::shared_ptr<TransitionScene> begin(Make make) {
        ScenePtr out = showScene();
        out->addChild(Sprite::create(outPicture_));
        in_ = Scene::create();
        in_->addChild(Sprite::create(inPicture_));
        auto t = make(in_);
        director().replaceScene(t);
        frames(1, kStep);
        EXPECT_EQ(director().runningScene(), t);
        return t;
    }
    // Steps until the in-page runs on its own; returns the frames it took.
    int runToEnd(int limit = 100) {
        for (int i = 1; i <= limit; ++i) {
            frames(1, kStep);
            if (director().runningScene() == in_) {
                return i;
            }
        }
        return -1;
    }

    std::string outPicture_;
    std::string inPicture_;
    ScenePtr in_;
};

TEST_F(TransitionTest, BothPagesRunDuringTheChangeAndTheNewPageFinishesEnteringOnlyAtTheEnd) {
    Journal journal = makeJournal();
    auto& j = *journal;
    auto a = std::make_shared<JournalScene>("a", journal);
    director().runWithScene(a);
    frames(1);
    int outTicks = 0;
    a->schedule("tick", [&](float) { ++outTicks; });
    auto b = std::make_shared<JournalScene>("b", journal);
    auto child = Node::create();
    b->addChild(child);
    child->runAction(MoveBy::create(1, {100, 0}));
    j.clear();

    director().replaceScene(SlideInTransition::create(1, b, SlideEdge::Right));
    frames(1, kStep);
    EXPECT_EQ(j, (std::vector<std::string>{"a.exitStart", "b.enter"}));
    EXPECT_FALSE(director().touchDispatcher().isDispatchEvents());
    frames(3, kStep);
    EXPECT_GT(outTicks, 0) << "the old page's timers keep running";
    EXPECT_GT(child->position().x, 0) << "the new page's actions run from the start";
    EXPECT_EQ(j.size(), 2u);

    frames(3, kStep);
    EXPECT_EQ(director().runningScene(), b);
    EXPECT_EQ(j, (std::vector<std::string>{"a.exitStart", "b.enter", "a.exit", "b.didFinish", "a.cleanup"}));
    EXPECT_TRUE(director().touchDispatcher().isDispatchEvents());
    EXPECT_EQ(b->position(), Point(0, 0));
    EXPECT_TRUE(b->isVisible());
    EXPECT_FALSE(a->isScheduled("tick")) << "the old page was cleaned up";
}

TEST_F(TransitionTest, AZeroLengthTransitionTakesFourFrames) {
    begin([](ScenePtr in) { return SlideInTransition::create(0, in, SlideEdge::Left); });
    // One frame to set up, then t = 0, then t = 1 with finish, then the swap: four in all.
    EXPECT_EQ(runToEnd(), 3);
}

TEST_F(TransitionTest, RotoZoomShrinksAndSpinsTheOldPageThenGrowsTheNewOneSpinningBack) {
    auto t = begin([](ScenePtr in) { return RotoZoomTransition::create(2, in); });
    frames(1, kStep); // t = 0
    frames(2, kStep); // 0.5 s
    EXPECT_NEAR(t->outScene()->scale(), 0.5005f, 1e-5);
    EXPECT_FLOAT_EQ(t->outScene()->rotation(), 360);
    EXPECT_FLOAT_EQ(t->inScene()->scale(), 0.001f);
    frames(4, kStep); // 1.5 s
    EXPECT_NEAR(t->outScene()->scale(), 0.001f, 1e-6);
    EXPECT_NEAR(t->inScene()->scale(), 0.5005f, 1e-4);
    EXPECT_FLOAT_EQ(t->inScene()->rotation(), -360);
    EXPECT_GT(runToEnd(), 0);
    EXPECT_FLOAT_EQ(in_->scale(), 1);
    EXPECT_FLOAT_EQ(in_->rotation(), 0);
}

TEST_F(TransitionTest, JumpZoomHopsTheOldPageOutLeftAndTheNewOneInFromTheRight) {
    auto t = begin([](ScenePtr in) { return JumpZoomTransition::create(2, in); });
    frames(1, kStep); // t = 0
    frames(1, kStep); // 0.25 s
    EXPECT_FLOAT_EQ(t->outScene()->scale(), 0.75f);
    frames(2, kStep); // 0.75 s: half-way through the two hops
    EXPECT_FLOAT_EQ(t->outScene()->position().x, -512);
    EXPECT_EQ(t->inScene()->position(), Point(1024, 0));
    EXPECT_FLOAT_EQ(t->inScene()->scale(), 0.5f);
    frames(2, kStep); // 1.25 s
    EXPECT_FLOAT_EQ(t->inScene()->position().x, 512);
    frames(2, kStep); // 1.75 s
    EXPECT_EQ(t->inScene()->position(), Point(0, 0));
    EXPECT_FLOAT_EQ(t->inScene()->scale(), 0.75f);
    EXPECT_GT(runToEnd(), 0);
}

TEST_F(TransitionTest, SlideInPushesBothPagesFromEachEdgeWithTheRightOneOnTop) {
    struct Case {
        SlideEdge edge;
        Point inAtHalfTime;
        bool inOnTop;
    };
    const Case cases[] = {{SlideEdge::Left, {-511.75f, 0}, false},
                          {SlideEdge::Right, {511.75f, 0}, true},
                          {SlideEdge::Top, {0, 383.75f}, false},
                          {SlideEdge::Bottom, {0, -383.75f}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.edge));
        reset({1024, 768}, {1024, 768});
        auto t = begin([&](ScenePtr in) { return SlideInTransition::create(2, in, c.edge); });
        frames(1, kStep); // t = 0
        frames(2, kStep); // t = 0.25, eased to 0.5
        EXPECT_EQ(t->inScene()->position(), c.inAtHalfTime);
        EXPECT_EQ(t->outScene()->position(), c.inAtHalfTime - c.inAtHalfTime * 2) << "both move by the same";
        const std::vector<std::string> order = backend().drawnTextures();
        ASSERT_EQ(order.size(), 2u);
        EXPECT_EQ(order[1], c.inOnTop ? inPicture_ : outPicture_);
        EXPECT_GT(runToEnd(), 0);
        EXPECT_EQ(in_->position(), Point(0, 0));
    }
}

TEST_F(TransitionTest, ShrinkGrowScalesAboutTheLeftAndRightThirds) {
    auto t = begin([](ScenePtr in) { return ShrinkGrowTransition::create(2, in); });
    frames(1, kStep); // t = 0
    frames(2, kStep); // t = 0.25, eased to 0.5
    EXPECT_NEAR(t->inScene()->scale(), 0.5005f, 1e-5);
    EXPECT_NEAR(t->outScene()->scale(), 0.505f, 1e-5);
    // The out-page pivots on x = W/3: a point there does not move.
    EXPECT_NEAR(t->outScene()->convertToWorldSpace({1024.0f / 3, 384}).x, 1024.0f / 3, 1e-3);
    EXPECT_NEAR(t->inScene()->convertToWorldSpace({2048.0f / 3, 384}).x, 2048.0f / 3, 1e-3);
    EXPECT_GT(runToEnd(), 0);
    EXPECT_EQ(in_->anchorPoint(), Point(2 / 3.0f, 0.5f)) << "only position, scale and rotation are reset";
}

TEST_F(TransitionTest, PageTurnCurlsTheOldPageForwardsAndUncurlsTheNewOneBackwards) {
    auto t = std::static_pointer_cast<PageTurnTransition>(
        begin([](ScenePtr in) { return PageTurnTransition::create(2, in, false); }));
    frames(1, kStep); // t = 0
    frames(4, kStep); // 1 s
    EXPECT_TRUE(t->curl().active);
    EXPECT_FLOAT_EQ(t->curl().t, 0.5f);
    // The new page is drawn flat underneath; the old one is drawn into a picture that is then bent.
    const auto& draws = backend().draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].texture, inPicture_);
    EXPECT_FALSE(draws[0].toRenderTarget);
    EXPECT_EQ(draws[1].texture, outPicture_);
    EXPECT_TRUE(draws[1].toRenderTarget);
    EXPECT_EQ(draws[2].kind, headless::DrawRecord::Kind::Mesh);
    EXPECT_EQ(draws[2].vertexCount, 17u * 13u);
    EXPECT_GT(runToEnd(), 0);

    auto back = std::static_pointer_cast<PageTurnTransition>(
        begin([](ScenePtr in) { return PageTurnTransition::create(2, in, true); }));
    EXPECT_FALSE(back->inScene()->isVisible()) << "hidden until the curl is in place";
    frames(1, kStep);
    EXPECT_TRUE(back->inScene()->isVisible());
    EXPECT_FLOAT_EQ(back->curl().t, 1) << "starts fully curled";
    frames(4, kStep);
    EXPECT_FLOAT_EQ(back->curl().t, 0.5f);
    EXPECT_EQ(backend().draws().back().kind, headless::DrawRecord::Kind::Mesh) << "the new page is on top";
    EXPECT_GT(runToEnd(), 0);
    EXPECT_FALSE(back->curl().active);
}

TEST(PageCurl, TheMeshIsFlatAtTheStartCurlsFromTheBottomRightAndVanishesAtTheEnd) {
    const Size page{1024, 768};
    const auto flat = pageCurlMesh(page, 16, 12, 0);
    ASSERT_EQ(flat.size(), 17u * 13u);
    EXPECT_NEAR(flat[16].x, 1024, 1e-2); // bottom-right corner
    EXPECT_NEAR(flat[16].y, 0, 1e-2);
    const auto mid = pageCurlMesh(page, 16, 12, 0.5f);
    EXPECT_LT(mid[16].x, 900) << "the bottom-right corner has lifted";
    EXPECT_GT(mid[16].z, 0.5f);
    EXPECT_NEAR(mid[0].x, 0, 1e-3) << "the spine stays put";
    for (const auto& v : pageCurlMesh(page, 16, 12, 1)) {
        EXPECT_EQ(v.x, 0);
    }
}

TEST_F(TransitionTest, AChangeAskedForDuringATransitionCompletesItAndEntersTheNextPageProperly) {
    Journal journal = makeJournal();
    auto& j = *journal;
    auto t = begin([](ScenePtr in) { return RotoZoomTransition::create(2, in); });
    frames(2, kStep);
    auto next = std::make_shared<JournalScene>("next", journal);
    director().replaceScene(next);
    frames(1, kStep);
    EXPECT_EQ(director().runningScene(), next);
    EXPECT_EQ(j, (std::vector<std::string>{"next.enter", "next.didFinish"}));
    EXPECT_TRUE(director().touchDispatcher().isDispatchEvents());
    EXPECT_FALSE(in_->isRunning());
    EXPECT_EQ(in_->numberOfRunningActions(), 0u);
}
