// Nodes: drawing order by z-order, tags, removal with clean-up, life-cycle calls, placement and opacity.
#include "test_support.h"

using namespace stage;
using namespace stagetest;

class NodeTest : public StageTest {
protected:
    SpritePtr sprite(const std::string& name, int size = 10) {
        return Sprite::create(writePicture(dir_, name + ".png", size, size, {200, 100, 50, 255}));
    }
    std::vector<std::string> drawnNames() {
        std::vector<std::string> names;
        for (const auto& path : backend().drawnTextures()) {
            names.push_back(std::filesystem::path(path).stem().string());
        }
        return names;
    }
};

TEST_F(NodeTest, ChildrenDrawInZOrderWithEqualZInInsertionOrderAndNegativeZBehindTheParent) {
    ScenePtr scene = showScene();
    SpritePtr parent = sprite("parent");
    scene->addChild(parent);
    SpritePtr front = sprite("front");
    SpritePtr first = sprite("first");
    SpritePtr back = sprite("back");
    SpritePtr second = sprite("second");
    parent->addChild(front, 1);
    parent->addChild(first, 0);
    parent->addChild(back, -1);
    parent->addChild(second, 0);
    frames(1);
    EXPECT_EQ(drawnNames(), (std::vector<std::string>{"back", "parent", "first", "second", "front"}));

    parent->reorderChild(first, 0); // re-ordering puts it behind no one of equal z
    frames(1);
    EXPECT_EQ(drawnNames(), (std::vector<std::string>{"back", "parent", "second", "first", "front"}));
    second->setZOrder(2);
    frames(1);
    EXPECT_EQ(drawnNames(), (std::vector<std::string>{"back", "parent", "first", "front", "second"}));

    parent->setVisible(false);
    frames(1);
    EXPECT_TRUE(drawnNames().empty()) << "an invisible node hides its children too";
}

TEST_F(NodeTest, TagsFindAndRemoveTheFirstMatchOnly) {
    ScenePtr scene = showScene();
    SpritePtr a = sprite("a");
    SpritePtr b = sprite("b");
    scene->addChild(a, 0, 7);
    scene->addChild(b, 0, 7);
    EXPECT_EQ(scene->getChildByTag(7), a);
    EXPECT_TRUE(scene->removeChildByTag(7));
    EXPECT_EQ(scene->getChildByTag(7), b);
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_FALSE(scene->removeChildByTag(8));
    EXPECT_EQ(scene->getChildByTag(8), nullptr);
}

TEST_F(NodeTest, RemovalWithCleanUpStopsTheWholeSubtreeAndEntryFollowsTheParent) {
    ScenePtr scene = showScene();
    NodePtr child = Node::create();
    NodePtr grandchild = Node::create();
    child->addChild(grandchild);
    EXPECT_FALSE(grandchild->isRunning());
    grandchild->runAction(MoveBy::create(1, {10, 0}));
    grandchild->schedule("t", [](float) {});
    scene->addChild(child, 0, 3);
    EXPECT_TRUE(child->isRunning());
    EXPECT_TRUE(grandchild->isRunning());
    frames(2);
    EXPECT_GT(grandchild->position().x, 0);

    scene->removeChildByTag(3);
    EXPECT_FALSE(grandchild->isRunning());
    EXPECT_EQ(grandchild->numberOfRunningActions(), 0u);
    EXPECT_FALSE(grandchild->isScheduled("t"));
    EXPECT_EQ(child->children().size(), 1u) << "clean-up stops things; it does not take children apart";
}

TEST_F(NodeTest, TheAnchorLandsOnThePositionAndScaleAndClockwiseRotationPivotOnIt) {
    NodePtr node = Node::create();
    node->setContentSize({100, 50});
    node->setAnchorPoint({0.5f, 0.5f});
    node->setPosition({200, 100});
    node->setScale(2);
    node->setRotation(90);
    const Point corner = node->convertToWorldSpace({0, 0});
    EXPECT_NEAR(corner.x, 150, 1e-3);
    EXPECT_NEAR(corner.y, 200, 1e-3);
    const Point back = node->convertToNodeSpace(corner);
    EXPECT_NEAR(back.x, 0, 1e-3);
    EXPECT_NEAR(back.y, 0, 1e-3);
    EXPECT_EQ(node->convertToWorldSpace({50, 25}), Point(200, 100));

    // Layers are placed by their lower-left corner; their centre is only the pivot.
    auto layer = Layer::create();
    layer->setPosition({10, 20});
    EXPECT_EQ(layer->convertToWorldSpace({0, 0}), Point(10, 20));
    layer->setScale(0.5f);
    EXPECT_EQ(layer->convertToWorldSpace({512, 384}), Point(522, 404));
}

TEST_F(NodeTest, MenusPassTheirOpacityAndColourToTheirItemsButSpritesDoNot) {
    ScenePtr scene = showScene();
    const std::string pic = writePicture(dir_, "item.png", 10, 10, {255, 255, 255, 255});
    auto item = MenuItemImage::create(pic, pic, nullptr);
    auto menu = Menu::create({item});
    menu->setOpacity(128);
    menu->setColor({255, 0, 255});
    scene->addChild(menu);
    SpritePtr parent = sprite("parent");
    parent->setOpacity(100);
    parent->addChild(sprite("child"));
    scene->addChild(parent);
    frames(1);
    const auto& draws = backend().draws();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].color, (Color4B{255, 0, 255, 128}));
    EXPECT_EQ(draws[1].color.a, 100);
    EXPECT_EQ(draws[2].color.a, 255);
}
