// Real pixels: a letterboxed frame drawn by SDL's software renderer, saved as PNG and read back.
#include "test_support.h"

#include "stage/sdl/image_io.h"

#include <cstdlib>

using namespace stage;
using namespace stagetest;

namespace {

bool near(Color4B got, Color4B want, int tolerance = 3) {
    return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
           std::abs(got.b - want.b) <= tolerance;
}

std::string show(Color4B c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

} // namespace

class RenderTest : public StageTest {};

TEST_F(RenderTest, AFrameSavedAsPngShowsBarsBackgroundTintedTurnedAndTranslucentSprites) {
    // 320 x 240 design in a 400 x 240 window: 40-pixel bars left and right, scale 1.
    reset({400, 240}, {320, 240});
    ScenePtr scene = showScene();
    SpritePtr background = Sprite::create(writePicture(dir_, "bg.png", 320, 240, {0, 0, 255, 255}));
    background->setPosition({160, 120});
    scene->addChild(background);

    const std::string white = writePicture(dir_, "white.png", 40, 40, {255, 255, 255, 255});
    SpritePtr tinted = Sprite::create(white);
    tinted->setPosition({80, 160});
    tinted->setColor({255, 0, 0});
    scene->addChild(tinted);

    SpritePtr turned = Sprite::create(writePicture(dir_, "green.png", 40, 40, {0, 255, 0, 255}));
    turned->setPosition({240, 80});
    turned->setRotation(45);
    scene->addChild(turned);

    SpritePtr ghost = Sprite::create(white);
    ghost->setPosition({160, 120});
    ghost->setOpacity(128);
    scene->addChild(ghost);

    frames(1);
    const std::string png = dir_.file("frame.png");
    ASSERT_TRUE(backend().saveFrame(png));
    Image frame;
    std::string error;
    ASSERT_TRUE(sdl::loadImage(png, frame, &error)) << error;
    ASSERT_EQ(frame.width, 400);
    ASSERT_EQ(frame.height, 240);

    // Window pixel of a design point: x + 40, 240 - y.
    const auto at = [&](float x, float y) { return frame.at(int(x) + 40, 239 - int(y)); };
    EXPECT_TRUE(near(frame.at(10, 120), {0, 0, 0, 255})) << "left bar " << show(frame.at(10, 120));
    EXPECT_TRUE(near(frame.at(390, 120), {0, 0, 0, 255})) << "right bar";
    EXPECT_TRUE(near(at(20, 20), {0, 0, 255, 255})) << "background " << show(at(20, 20));
    EXPECT_TRUE(near(at(80, 160), {255, 0, 0, 255})) << "tinted sprite " << show(at(80, 160));
    EXPECT_TRUE(near(at(110, 160), {0, 0, 255, 255})) << "beside it";
    EXPECT_TRUE(near(at(240, 80), {0, 255, 0, 255})) << "turned sprite " << show(at(240, 80));
    // Inside the unturned square's corner but outside the diamond it becomes when turned 45 degrees.
    EXPECT_TRUE(near(at(257, 97), {0, 0, 255, 255})) << "corner cut by the turn " << show(at(257, 97));
    EXPECT_TRUE(near(at(240, 105), {0, 255, 0, 255})) << "diamond tip " << show(at(240, 105));
    EXPECT_TRUE(near(at(160, 120), {127, 127, 255, 255}, 4))
        << "half-transparent white " << show(at(160, 120));
}
