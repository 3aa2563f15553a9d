// score_test.cpp -- the score line: where its glyphs stand, what shows between them, what it covers
#include <gtest/gtest.h>

#include <string>

#include "picture_check.h"
#include "shell/headless.h"
#include "state/assets.h"
#include "support/headless_session.h"

namespace {

constexpr int digitX(int i) { return 56 + 10 * i; }

class ScoreLine : public HeadlessGame {
protected:
    void SetUp() override {
        HeadlessGame::SetUp();
        // Every layer beneath the score line in colours the text never uses.
        paintPattern(titleSheet, 1);
        paintPattern(backdrop, 2);
        label_ = textPicture("SCORE: ");
        for (int d = 0; d < 10; ++d) digits_[d] = textPicture(std::string(1, char('0' + d)));
    }
    void TearDown() override {
        destroy_bitmap(label_);
        for (BITMAP* d : digits_) destroy_bitmap(d);
    }

    ::testing::AssertionResult labelShown() {
        return frameShows(0, 0, 56, 8, [&](int x, int y) { return getpixel(label_, x, y); });
    }
    ::testing::AssertionResult digitShown(int i, int value) {
        return frameShows(digitX(i), 0, 8, 8,
                          [&](int x, int y) { return getpixel(digits_[value], x - digitX(i), y); });
    }

    BITMAP* label_ = nullptr;
    BITMAP* digits_[10] = {};
};

}  // namespace

TEST_F(ScoreLine, ShowsTheLabelAtZeroAndNineZerosTenPixelsApart) {
    runFrames(1);
    int lit = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 144; ++x) lit += getpixel(backBuffer, x, y) == 15;
    }
    EXPECT_GT(lit, 100) << "the text is drawn in colour 15";
    EXPECT_TRUE(labelShown());
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(digitShown(i, 0)) << "digit " << i;
}

TEST_F(ScoreLine, ShowsEachCounterInItsOwnPlace) {
    // No play adds to the score, but the line shows whatever the counters hold.
    for (int i = 0; i < 9; ++i) game.scoreDigits[i] = (i * 4 + 1) % 10;
    runFrames(1);
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(digitShown(i, (i * 4 + 1) % 10)) << "digit " << i;
}

TEST_F(ScoreLine, LeavesTwoPixelGapsBetweenDigitsThatShowTheLayerBeneath) {
    runFrames(1);  // the title screen, frame 1 of the title sheet beneath
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(frameShows(digitX(i) + 8, 0, 2, 8,
                               [](int x, int y) { return getpixel(titleSheet, x, y); }))
            << "gap after digit " << i;
    }
    EXPECT_TRUE(frameShows(144, 0, 56, 8, [](int x, int y) { return getpixel(titleSheet, x, y); }))
        << "right of the last digit";
    EXPECT_TRUE(frameShows(0, 8, 144, 1, [](int x, int y) { return getpixel(titleSheet, x, y); }))
        << "just below the line";
}

TEST_F(ScoreLine, PaintsEachCharacterCellOpaqueInColourZero) {
    runFrames(1);
    // The space at the end of the label shows nothing but its background.
    EXPECT_TRUE(frameShows(48, 0, 8, 8, [](int, int) { return 0; }));
    int background = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = digitX(0); x < digitX(0) + 8; ++x) {
            if (getpixel(backBuffer, x, y) == 0) ++background;
        }
    }
    EXPECT_GT(background, 16) << "a digit cell keeps the title picture out of its background";
}

TEST_F(ScoreLine, IsDrawnOverTheBlankTitleTicks) {
    game.titleBlinkTick = 299;
    runFrames(1);  // tick 300: no title frame
    ASSERT_EQ(game.titleBlinkTick, 300);
    EXPECT_TRUE(labelShown());
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(digitShown(i, 0));
    EXPECT_TRUE(frameShows(64, 0, 2, 8, [](int, int) { return 0; })) << "the cleared frame beneath";
}

TEST_F(ScoreLine, IsDrawnOverTheBackdropAndTheShipWhilePlaying) {
    paintPattern(spriteSheet, 3);
    runFrames(1, HeldS);
    ASSERT_EQ(game.gameMode, Playing);
    // The ship's marker cell lies at (150, 231); bring the ship under the label.
    game.shipOffsetX = -140;
    game.shipOffsetY = -231;
    runFrames(1);
    ASSERT_EQ(game.gameMode, Playing);
    ASSERT_EQ(game.shipX, 10);
    ASSERT_EQ(game.shipY, 0);
    EXPECT_TRUE(labelShown());
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(digitShown(i, 0));
    EXPECT_TRUE(frameShows(10, 8, 40, 32, [](int x, int y) {
        return getpixel(spriteSheet, x - 10, 180 + y);
    })) << "the ship is there, just below the line";
    // The first playing frame draws the backdrop's upper copy at y = 51 - 600.
    EXPECT_TRUE(frameShows(64, 0, 2, 8, [](int x, int y) {
        return getpixel(backdrop, x, y + 600 - 51);
    })) << "a gap shows the backdrop";
}
