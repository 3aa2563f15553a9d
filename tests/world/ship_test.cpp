// ship_test.cpp -- the ship's glide, animation and shots, placed by its marker in screen rows
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "state/level.h"
#include "world/world.h"
#include "world_fixture.h"

namespace {
constexpr int shipRestY = 231;  // marker row 23 at the new-game scroll

// A game with the level's ship marker (screen row 23, column 15) and nothing else.
class Ship : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        levelMap[23][15] = 1;
    }
    // One world pass on a fresh frame; returns where the ship was drawn.
    int pass() {
        fillFrame();
        updateWorld();
        return 150 + game.shipOffsetX;
    }
};
}  // namespace

TEST_F(Ship, StandsOnItsMarkerInScreenRowsAndDrawsOneGlideStepAheadOfShipX) {
    EXPECT_EQ(pass(), 144);
    EXPECT_EQ(game.shipX, 150);
    EXPECT_EQ(game.shipY, shipRestY);
    EXPECT_TRUE(frameShows({shipPicture(1, 144, shipRestY)}));
    for (int slot = 0; slot <= 20; ++slot) {
        EXPECT_EQ(game.playerShots[slot].state, Ready);
        EXPECT_EQ(game.playerShots[slot].x, 164) << "ready shots wait beside the drawn ship";
        EXPECT_EQ(game.playerShots[slot].y, shipRestY);
    }
    // The scroll moves the level, not the ship: the marker is read in screen rows.
    game.scrollY -= 50;
    game.topRow -= 5;
    pass();
    EXPECT_EQ(game.shipY, shipRestY);
}

TEST_F(Ship, AMarkerOutsideTheFirstThirtyOneMapRowsIsInert) {
    levelMap[23][15] = 0;
    levelMap[31][15] = 1;
    levelMap[280][10] = 1;
    game.shipX = 66;
    pass();
    EXPECT_TRUE(frameShows({}));
    EXPECT_EQ(game.shipX, 66);
    EXPECT_EQ(game.shipOffsetX, 0);
}

TEST_F(Ship, ShowsFrameOneForFivePassesThenEachFrameForSix) {
    for (int n = 1; n <= 24; ++n) {
        const int frame = n < 6 ? 1 : n < 12 ? 2 : n < 18 ? 3 : n < 24 ? 4 : 1;
        const int drawnX = pass();
        ASSERT_EQ(game.shipFrame, frame) << "pass " << n;
        ASSERT_TRUE(frameShows({shipPicture(frame, drawnX, shipRestY)})) << "pass " << n;
    }
}

TEST_F(Ship, GlidesBetweenSixAndThreeHundredTurningOnlyAtTheEdges) {
    std::vector<int> xs;
    for (int n = 0; n < 200; ++n) {
        pass();
        xs.push_back(game.shipX);
    }
    EXPECT_EQ(xs.front(), 150);
    EXPECT_EQ(*std::min_element(xs.begin(), xs.end()), 6);
    EXPECT_EQ(*std::max_element(xs.begin(), xs.end()), 300);
    for (size_t n = 1; n < xs.size(); ++n) {
        ASSERT_EQ(std::abs(xs[n] - xs[n - 1]), 6) << "pass " << n;
        if (n >= 2 && (xs[n] - xs[n - 1]) != (xs[n - 1] - xs[n - 2])) {
            ASSERT_TRUE(xs[n - 1] == 6 || xs[n - 1] == 300) << "turned at " << xs[n - 1];
        }
    }
}

TEST_F(Ship, ASteeringKeyTowardsAnEdgeItHasReachedMovesNothing) {
    game.shipOffsetX = -144;  // shipX 6
    for (int n = 0; n < 3; ++n) {
        game.glideDir = glideLeft;  // Left held
        EXPECT_EQ(pass(), 6);
        EXPECT_EQ(game.glideDir, glideRight) << "the edge turns it back in the same step";
    }
    EXPECT_EQ(pass(), 12) << "released, it glides right";

    game.shipOffsetX = 150;      // shipX 300
    game.glideDir = glideRight;  // Right held
    EXPECT_EQ(pass(), 300);
    EXPECT_EQ(game.glideDir, glideLeft);
    EXPECT_EQ(pass(), 294);
}

TEST_F(Ship, AShotFromTheRestingShipRisesFivePerPassAndIsDrawnAtOneAsItLands) {
    pass();
    const int shotX = game.playerShots[3].x;
    game.playerShots[3].state = Flying;  // launched by the fire key
    for (int y = 226; y >= 1; y -= 5) {
        const int drawnX = pass();
        ASSERT_EQ(game.playerShots[3].y, y);
        ASSERT_EQ(game.playerShots[3].state, y < 5 ? Ready : Flying);
        ASSERT_TRUE(frameShows({shotPicture(shotX, y), shipPicture(game.shipFrame, drawnX, 231)}))
            << "shot at y " << y;
    }
    const int drawnX = pass();
    EXPECT_EQ(game.playerShots[3].x, drawnX + 20);
    EXPECT_EQ(game.playerShots[3].y, shipRestY);
    EXPECT_TRUE(frameShows({shipPicture(game.shipFrame, drawnX, shipRestY)}));
}

TEST_F(Ship, AShotLaunchedHighUpIsDrawnJustOnce) {
    game.shipOffsetY = -225;  // the ship moved up to y 6
    pass();
    game.playerShots[1].state = Flying;
    pass();
    EXPECT_EQ(game.playerShots[1].state, Ready);
    EXPECT_EQ(game.playerShots[1].y, 1);
    pass();
    EXPECT_EQ(game.playerShots[1].y, 6);
}

TEST_F(Ship, TwoMarkersMoveEverythingOncePerMarkerAndLeaveTheShotsAtTheLast) {
    levelMap[5][3] = 1;
    game.playerShots[2] = {Flying, 100, 150};
    pass();
    EXPECT_EQ(game.shipOffsetX, -12);
    EXPECT_EQ(game.shipFrameTick, 2);
    EXPECT_EQ(game.playerShots[2].y, 140);
    EXPECT_EQ(game.shipY, shipRestY) << "the later marker in scan order";
    EXPECT_EQ(game.playerShots[0].y, shipRestY);
}
