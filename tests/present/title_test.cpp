// title_test.cpp -- the blinking title screen, the banner, and which layer covers which
#include <gtest/gtest.h>

#include "picture_check.h"
#include "shell/headless.h"
#include "state/assets.h"
#include "support/headless_session.h"

namespace {

int titleFrame1(int x, int y) { return getpixel(titleSheet, x, y); }
int titleFrame2(int x, int y) { return getpixel(titleSheet, 320 + x, y); }
int cleared(int, int) { return 0; }

bool inBanner(int x, int y) { return x >= 200 && y < 18; }

// The banner's pixel at (x, y) of the window, over the given layer beneath.
int bannerOver(int x, int y, int beneath) {
    const int source = getpixel(spriteSheet, 257 + (x - 200), 90 + y);
    return source == 0 ? beneath : source;
}

class TitleScreen : public HeadlessGame {
protected:
    void SetUp() override {
        HeadlessGame::SetUp();
        paintPattern(titleSheet, 1);
        paintPattern(spriteSheet, 2, true);
        paintPattern(backdrop, 3);
    }
};

}  // namespace

TEST_F(TitleScreen, ShowsFrameOneFromTheFirstFrameToTick299) {
    runFrames(1);
    ASSERT_EQ(game.titleBlinkTick, 1);
    EXPECT_TRUE(frameShowsExcept(titleFrame1, inScoreLine)) << "tick 1";
    runFrames(298);
    ASSERT_EQ(game.titleBlinkTick, 299);
    EXPECT_TRUE(frameShowsExcept(titleFrame1, inScoreLine)) << "tick 299";
}

TEST_F(TitleScreen, ShowsNoTitleFrameAtTick300ButTheBanner) {
    runFrames(300);
    ASSERT_EQ(game.titleBlinkTick, 300);
    EXPECT_TRUE(frameShowsExcept(cleared,
                                 [](int x, int y) { return inScoreLine(x, y) || inBanner(x, y); }));
    EXPECT_TRUE(frameShows(200, 0, 120, 18, [](int x, int y) { return bannerOver(x, y, 0); }));
}

TEST_F(TitleScreen, ShowsFrameTwoFromTick301ToTick499) {
    runFrames(301);
    ASSERT_EQ(game.titleBlinkTick, 301);
    EXPECT_TRUE(frameShowsExcept(titleFrame2, inScoreLine)) << "tick 301";
    runFrames(198);
    ASSERT_EQ(game.titleBlinkTick, 499);
    EXPECT_TRUE(frameShowsExcept(titleFrame2, inScoreLine)) << "tick 499";
}

TEST_F(TitleScreen, ShowsNoTitleFrameAtTick500ThenStartsOverWithFrameOne) {
    runFrames(500);
    ASSERT_EQ(game.titleBlinkTick, 500);
    EXPECT_TRUE(frameShowsExcept(cleared,
                                 [](int x, int y) { return inScoreLine(x, y) || inBanner(x, y); }));
    runFrames(1);
    ASSERT_EQ(game.titleBlinkTick, 0);
    EXPECT_TRUE(frameShowsExcept(titleFrame1, inScoreLine)) << "tick 0";
    runFrames(501);
    EXPECT_EQ(game.titleBlinkTick, 0) << "one blink cycle is 501 frames";
}

TEST_F(TitleScreen, BlinkRunsOnDuringAGameWithoutShowingTheTitle) {
    runFrames(10, HeldS);  // S in frame 1 starts the game; later S presses do nothing
    ASSERT_EQ(game.gameMode, Playing);
    EXPECT_EQ(game.titleBlinkTick, 10);
    EXPECT_FALSE(frameShowsExcept(titleFrame1, inScoreLine)) << "the title covers the game";
    EXPECT_FALSE(frameShowsExcept(titleFrame2, inScoreLine)) << "the title covers the game";
}

TEST_F(TitleScreen, ResumesTheBlinkWhereItStoodWhenAGameEnds) {
    runFrames(1, HeldS);
    runFrames(40);
    const int tickBefore = game.titleBlinkTick;
    game.gameMode = Title;  // as a collision or the level end leaves it
    runFrames(1);
    EXPECT_EQ(game.titleBlinkTick, tickBefore + 1);
    EXPECT_TRUE(frameShowsExcept(titleFrame1, inScoreLine));
}

using Banner = TitleScreen;

TEST_F(Banner, ShowsItsLeftmost120ColumnsMaskedOverTheBackdrop) {
    runFrames(1, HeldS);
    runFrames(1);  // the first playing frame: backdrop's upper copy at y = 51 - 600
    ASSERT_EQ(game.gameMode, Playing);
    const auto backdropAt = [](int x, int y) { return getpixel(backdrop, x, y + 600 - 51); };
    EXPECT_TRUE(frameShows(200, 0, 120, 18,
                           [&](int x, int y) { return bannerOver(x, y, backdropAt(x, y)); }));
    EXPECT_TRUE(frameShows(150, 0, 50, 18, backdropAt)) << "left of the banner";
    EXPECT_TRUE(frameShows(200, 18, 120, 2, backdropAt)) << "below the banner";
}

TEST_F(Banner, IsDrawnOverTheShip) {
    runFrames(1, HeldS);
    // The ship's marker cell lies at (150, 231); move the ship up under the banner. It
    // glides left by 6 before it is drawn.
    game.shipOffsetX = 86;
    game.shipOffsetY = -231;
    runFrames(1);
    ASSERT_EQ(game.gameMode, Playing);
    const int shipX = 150 + game.shipOffsetX;
    ASSERT_EQ(shipX, 230);
    const auto shipOrBackdrop = [&](int x, int y) {
        const int ship = getpixel(spriteSheet, x - shipX, 180 + y);
        return ship != 0 ? ship : getpixel(backdrop, x, y + 600 - 51);
    };
    EXPECT_TRUE(frameShows(shipX, 18, 40, 22, shipOrBackdrop)) << "the ship below the banner";
    EXPECT_TRUE(frameShows(shipX, 0, 40, 18, [&](int x, int y) {
        return bannerOver(x, y, shipOrBackdrop(x, y));
    })) << "the banner over the ship";
}

TEST_F(Banner, IsHiddenByEitherTitleFrame) {
    runFrames(1);
    EXPECT_TRUE(frameShows(200, 0, 120, 18, titleFrame1));
    runFrames(300);
    ASSERT_EQ(game.titleBlinkTick, 301);
    EXPECT_TRUE(frameShows(200, 0, 120, 18, titleFrame2));
}

TEST_F(TitleScreen, ShowsTheGameInTheFrameOfTheLevelEnd) {
    runFrames(1, HeldS);
    runFrames(3);
    // The last step of the level: the world pass runs, then the view reaches row 14.
    game.scrollY = 149;
    game.topRow = 15;
    game.stepTick = 5;
    game.titleBlinkTick = 100;
    runFrames(1);
    ASSERT_EQ(game.gameMode, Title);
    ASSERT_EQ(game.topRow, 14);
    EXPECT_FALSE(frameShowsExcept(titleFrame1, inScoreLine)) << "the level end comes after drawing";
    runFrames(1);
    EXPECT_TRUE(frameShowsExcept(titleFrame1, inScoreLine)) << "the next frame shows the title";
}

TEST_F(TitleScreen, CoversTheWorldInTheFrameInWhichAnEnemyEndsTheGame) {
    runFrames(1, HeldS);
    game.titleBlinkTick = 0;
    // The enemies of the real level reach an unsteered ship long before the level ends.
    for (int frame = 1; frame <= 1600 && game.gameMode == Playing; ++frame) runFrames(1);
    ASSERT_EQ(game.gameMode, Title);
    ASSERT_NE(game.topRow, 14) << "the game ran to the level end; no enemy reached the ship";
    ASSERT_LT(game.titleBlinkTick, 300);
    EXPECT_TRUE(frameShowsExcept(titleFrame1, inScoreLine));
}

// The real art, not a pattern: big enough for every region the game copies.
using TitleArt = HeadlessGame;

TEST_F(TitleArt, CoversEveryRegionTheGameCopies) {
    EXPECT_GE(titleSheet->w, 640);
    EXPECT_GE(titleSheet->h, 300);
    EXPECT_GE(backdrop->w, 320);
    EXPECT_GE(backdrop->h, 600);
    EXPECT_GE(spriteSheet->w, 257 + 120);
    EXPECT_GE(spriteSheet->h, 90 + 18);
}
