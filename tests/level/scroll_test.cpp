// scroll_test.cpp -- the scroll up the level, its pace with the steering keys, and the level end
//
// The enemies of the real level end an unsteered game long before the view reaches
// row 14, so these tests drive advanceScroll and handleKeys directly, without the
// world pass, to count whole games. The whole-program replays of full games are in
// tests/keys/.
#include <gtest/gtest.h>

#include <cstdint>

#include "shell/frame.h"
#include "shell/headless.h"
#include "shell/platform.h"
#include "state/game_state.h"
#include "support/headless_session.h"

namespace {

// A new game as the S key starts it.
void startGame() {
    resetGame();
    game.gameMode = Playing;
}

// The scroll step and the keys of one frame, in the frame's order, without drawing.
void scrollFrame(uint32_t heldKeys) {
    advanceScroll();
    setHeadlessKeys(heldKeys);
    platformPollKeyboard();
    handleKeys();
}

// Frames until the level end turns the game back to the title screen (0 if it never does).
int framesUntilLevelEnd(uint32_t heldKeys) {
    for (int frame = 1; frame <= 5000; ++frame) {
        const int32_t topRowBefore = game.topRow;
        scrollFrame(heldKeys);
        if (game.gameMode == Title) {
            EXPECT_EQ(topRowBefore, 15) << "the last frame's world pass still saw row 15";
            return frame;
        }
    }
    return 0;
}

}  // namespace

TEST(RowOfScroll, RoundsToTheNearestRow) {
    EXPECT_EQ(rowOfScroll(2699), 270);
    EXPECT_EQ(rowOfScroll(2689), 269);
    EXPECT_EQ(rowOfScroll(139), 14);
    EXPECT_EQ(rowOfScroll(149), 15);
    EXPECT_EQ(rowOfScroll(24), 2);
    EXPECT_EQ(rowOfScroll(26), 3);
    EXPECT_EQ(rowOfScroll(0), 0);
    EXPECT_EQ(rowOfScroll(-9), -1);
}

TEST(RowOfScroll, RoundsHalfwayToTheEvenRow) {
    EXPECT_EQ(rowOfScroll(25), 2);
    EXPECT_EQ(rowOfScroll(35), 4);
    EXPECT_EQ(rowOfScroll(15), 2);
    EXPECT_EQ(rowOfScroll(45), 4);
    EXPECT_EQ(rowOfScroll(5), 0);
    EXPECT_EQ(rowOfScroll(-15), -2);
    EXPECT_EQ(rowOfScroll(-25), -2);
}

TEST(RowOfScroll, MatchesEveryPositionOfAGame) {
    for (int32_t scrollY = 2699; scrollY >= 139; scrollY -= 10) {
        ASSERT_EQ(rowOfScroll(scrollY), (scrollY + 1) / 10) << "scrollY " << scrollY;
    }
}

using LevelEnd = HeadlessGame;

TEST_F(LevelEnd, WithoutSteeringComesInThe1536thFrame) {
    startGame();
    EXPECT_EQ(framesUntilLevelEnd(0), 1536);
    EXPECT_EQ(game.scrollY, 139);
    EXPECT_EQ(game.topRow, 14);
}

TEST_F(LevelEnd, WithOneSteeringKeyHeldComesInThe1024thFrame) {
    startGame();
    EXPECT_EQ(framesUntilLevelEnd(HeldLeft), 1024);
    startGame();
    EXPECT_EQ(framesUntilLevelEnd(HeldRight), 1024);
}

TEST_F(LevelEnd, WithBothSteeringKeysHeldComesInThe768thFrame) {
    startGame();
    EXPECT_EQ(framesUntilLevelEnd(HeldLeft | HeldRight), 768);
}

TEST_F(LevelEnd, KeysThatDoNotSteerLeaveThePaceAlone) {
    startGame();
    EXPECT_EQ(framesUntilLevelEnd(HeldUp | HeldDown | HeldSpace), 1536);
}

TEST_F(LevelEnd, LeavesTheViewAtRow14OnTheTitleScreen) {
    startGame();
    ASSERT_EQ(framesUntilLevelEnd(0), 1536);
    for (int i = 0; i < 50; ++i) scrollFrame(HeldLeft | HeldRight);
    EXPECT_EQ(game.scrollY, 139);
    EXPECT_EQ(game.topRow, 14);
    EXPECT_EQ(game.stepTick, 0);
    EXPECT_EQ(game.gameMode, Title);
}

TEST_F(LevelEnd, IsOnlySeenWhilePlaying) {
    game.gameMode = Title;
    game.scrollY = 139;
    game.topRow = 14;
    advanceScroll();
    EXPECT_EQ(game.gameMode, Title);
    game.gameMode = Playing;
    game.scrollY = 149;
    game.topRow = 15;
    game.stepTick = 0;
    advanceScroll();
    EXPECT_EQ(game.gameMode, Playing) << "row 15 is still in the game";
}

using ScrollStep = HeadlessGame;

TEST_F(ScrollStep, FirstStepOfAGameComesInItsSixthFrame) {
    startGame();
    for (int frame = 1; frame <= 5; ++frame) {
        scrollFrame(0);
        ASSERT_EQ(game.scrollY, 2699) << "frame " << frame;
        ASSERT_EQ(game.topRow, 270);
        ASSERT_EQ(game.stepTick, frame);
    }
    scrollFrame(0);
    EXPECT_EQ(game.scrollY, 2689);
    EXPECT_EQ(game.topRow, 269);
    EXPECT_EQ(game.stepTick, 0);
}

TEST_F(ScrollStep, StandsStillOnTheTitleScreen) {
    // Program start: nothing scrolls until the first game.
    for (int i = 0; i < 20; ++i) scrollFrame(HeldLeft | HeldRight | HeldSpace);
    EXPECT_EQ(game.scrollY, 0);
    EXPECT_EQ(game.topRow, 1);
    EXPECT_EQ(game.stepTick, 0);
}

TEST_F(ScrollStep, AStepOwedByTheLastFrameOfAGameIsTakenOnTheTitleScreen) {
    // Steering keys in the frame an enemy ended the game can leave stepTick above 5.
    game.gameMode = Title;
    game.scrollY = 1999;
    game.topRow = 200;
    game.stepTick = 7;
    advanceScroll();
    EXPECT_EQ(game.scrollY, 1989);
    EXPECT_EQ(game.topRow, 199);
    EXPECT_EQ(game.stepTick, 0);
    advanceScroll();
    EXPECT_EQ(game.scrollY, 1989) << "and no more";
}
