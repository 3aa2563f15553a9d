// backdrop_test.cpp -- the backdrop picture sliding down behind a game, 3 pixels a frame
#include "present/backdrop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "picture_check.h"
#include "shell/headless.h"
#include "state/assets.h"
#include "support/headless_session.h"

namespace {

// The window's row y shows this row of the 600-row picture when it is drawn at `offset`.
int pictureRow(int y, int offset) { return ((y - offset) % 600 + 600) % 600; }

ExpectedPixel backdropAt(int offset) {
    return [offset](int x, int y) { return getpixel(backdrop, x, pictureRow(y, offset)); };
}

std::vector<unsigned char> framePicture() {
    std::vector<unsigned char> picture(320 * 300);
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 320; ++x) picture[y * 320 + x] = getpixel(backBuffer, x, y);
    }
    return picture;
}

// Draws the backdrop alone into a cleared frame; returns the offset it was drawn at.
int drawBackdropAlone() {
    const int offset = game.backdropScroll;
    clear_bitmap(backBuffer);
    drawBackdrop();
    return offset;
}

class Backdrop : public HeadlessGame {
protected:
    void SetUp() override {
        HeadlessGame::SetUp();
        paintPattern(backdrop, 4);
    }
};

}  // namespace

TEST_F(Backdrop, FillsTheWindowFromTwoCopiesAtEveryOffset) {
    for (int offset : {0, 3, 51, 297, 300, 303, 549, 597, 600}) {
        game.backdropScroll = offset;
        drawBackdropAlone();
        EXPECT_TRUE(frameShows(0, 0, 320, 300, backdropAt(offset))) << "offset " << offset;
    }
}

TEST_F(Backdrop, FirstFrameOfAGameDrawsAt51AndMovesTo54) {
    runFrames(1, HeldS);
    ASSERT_EQ(game.backdropScroll, 51);
    runFrames(1);
    ASSERT_EQ(game.gameMode, Playing);
    EXPECT_EQ(game.backdropScroll, 54);
    // The world draws its sprites on top and the banner and score cover the top, but
    // these strips hold no sprite yet; the second crosses the seam of the copies at y 51.
    EXPECT_TRUE(frameShows(150, 18, 170, 3, backdropAt(51)));
    EXPECT_TRUE(frameShows(0, 40, 20, 14, backdropAt(51)));
}

TEST_F(Backdrop, OffsetsRunFrom51To600ThenFrom0) {
    game.backdropScroll = 51;
    std::vector<int> drawn;
    for (int i = 0; i < 2 * 201; ++i) drawn.push_back(drawBackdropAlone());
    std::vector<int> expected;
    for (int offset = 51; offset <= 600; offset += 3) expected.push_back(offset);
    while (expected.size() < drawn.size()) {
        for (int offset = 0; offset <= 600 && expected.size() < drawn.size(); offset += 3) {
            expected.push_back(offset);
        }
    }
    EXPECT_EQ(drawn, expected);
}

TEST_F(Backdrop, StandsStillForOneFrameInEvery201) {
    game.backdropScroll = 0;
    drawBackdropAlone();
    std::vector<unsigned char> previous = framePicture();
    int stillFrames = 0;
    for (int i = 1; i <= 201; ++i) {
        const int offset = drawBackdropAlone();
        std::vector<unsigned char> current = framePicture();
        if (current == previous) {
            ++stillFrames;
            EXPECT_EQ(offset, 0) << "the picture at 600 and at 0 is the same";
        } else {
            // Otherwise everything moved down by 3 rows.
            for (int y = 3; y < 300; ++y) {
                ASSERT_TRUE(std::equal(current.begin() + y * 320, current.begin() + (y + 1) * 320,
                                       previous.begin() + (y - 3) * 320))
                    << "row " << y << " at offset " << offset;
            }
        }
        previous = current;
    }
    EXPECT_EQ(stillFrames, 1);
}

TEST_F(Backdrop, MovesOnlyWhilePlaying) {
    runFrames(30);
    EXPECT_EQ(game.backdropScroll, 51) << "the title screen neither draws nor moves it";
    runFrames(1, HeldS);
    runFrames(10);
    ASSERT_EQ(game.gameMode, Playing);
    EXPECT_EQ(game.backdropScroll, 51 + 30);
    game.gameMode = Title;
    runFrames(5);
    EXPECT_EQ(game.backdropScroll, 81) << "a finished game leaves it where it stood";
    runFrames(1, HeldS);
    EXPECT_EQ(game.backdropScroll, 51) << "every new game starts it at 51";
}
