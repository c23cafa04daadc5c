// A page rendered to a PNG file with the software renderer: the background, a button and a sprite are
// where the scene description puts them, also in a window of another shape.
#include "page_support.h"
#include "process_support.h"

#include "stage/sdl/image_io.h"

using namespace pagetest;

namespace {

const stage::Color4B kBlue{40, 60, 200, 255};
const stage::Color4B kRed{230, 30, 30, 255};
const stage::Color4B kGreen{30, 200, 60, 255};
const stage::Color4B kBlack{0, 0, 0, 255};

class PageRender : public PageTest {
protected:
    stage::Image renderPage0(const std::string& name) {
        picture("bg.png", 1024, 768, kBlue);
        picture("next.png", 80, 60, kRed);
        picture("cat.png", 120, 90, kGreen);
        writeBook(2);
        writePage(0, page({button("button_right", "next.png", "900,650,80,60")},
                          {sprite("cat", "cat.png", "100,200", {}, {}, {{"sprite_zoom_rate", "1"}})}));
        writePage(1, page());
        EXPECT_TRUE(launch());
        frames(1);
        const std::string file = proctest::outputDir("screenshots") + "/" + name;
        EXPECT_TRUE(backend().saveFrame(file));
        stage::Image image;
        std::string error;
        EXPECT_TRUE(stage::sdl::loadImage(file, image, &error)) << error;
        return image;
    }
};

TEST_F(PageRender, PageZeroShowsBackgroundButtonAndSpriteWhereTheyBelong) {
    const stage::Image shot = renderPage0("page0-1024x768.png");
    ASSERT_EQ(shot.width, 1024);
    ASSERT_EQ(shot.height, 768);
    EXPECT_EQ(shot.at(512, 100), kBlue);
    EXPECT_EQ(shot.at(5, 5), kBlue);
    // The button's picture covers (900, 650) to (980, 710); the sprite's (100, 200) to (220, 290).
    EXPECT_EQ(shot.at(940, 680), kRed);
    EXPECT_EQ(shot.at(901, 651), kRed);
    EXPECT_EQ(shot.at(985, 680), kBlue);
    EXPECT_EQ(shot.at(160, 245), kGreen);
    EXPECT_EQ(shot.at(101, 201), kGreen);
    EXPECT_EQ(shot.at(160, 295), kBlue);
    EXPECT_EQ(shot.at(95, 245), kBlue);
}

TEST_F(PageRender, WiderWindowShowsThePageCentredBetweenBlackBars) {
    resetWindow({1280, 768});
    const stage::Image shot = renderPage0("page0-1280x768.png");
    ASSERT_EQ(shot.width, 1280);
    EXPECT_EQ(shot.at(60, 384), kBlack);
    EXPECT_EQ(shot.at(1220, 384), kBlack);
    EXPECT_EQ(shot.at(128 + 512, 100), kBlue);
    EXPECT_EQ(shot.at(128 + 940, 680), kRed);
    EXPECT_EQ(shot.at(128 + 160, 245), kGreen);
}

} // namespace
