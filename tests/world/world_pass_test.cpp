// world_pass_test.cpp -- which map cells the world pass visits, and in what order
#include "state/level.h"
#include "world/world.h"
#include "world_fixture.h"

using WorldPass = WorldTest;

TEST_F(WorldPass, VisitsThirtyOneRowsFromTopRowAndEveryColumn) {
    game.scrollY = 2599;
    game.topRow = 260;
    game.shipX = 300;
    levelMap[260][0] = 2;    // top row, column 0
    levelMap[290][32] = 3;   // last scanned row, just below the screen, last column
    levelMap[259][5] = 4;    // one row above
    levelMap[291][5] = 5;    // one row below
    levelMap[275][7] = 104;  // beyond the gunner codes
    levelMap[276][7] = 1014;
    updateWorld();
    EXPECT_EQ(game.divers[0].tick, 1);
    EXPECT_EQ(game.divers[1].tick, 1);
    EXPECT_EQ(game.divers[2].tick, 0);
    EXPECT_EQ(game.divers[3].tick, 0);
    EXPECT_TRUE(frameShows({diverPicture(0, 1)})) << "the last row is drawn below the frame";
}

TEST_F(WorldPass, EnemiesBeforeTheMarkerSeeTheLastPassShipAndThoseAfterItThisOne) {
    levelMap[23][15] = 1;                      // the ship's step starts at (150, 231), row 293
    levelMap[280][10] = 2;                     // before the marker: x 100
    levelMap[295][20] = 3;                     // after it: x 200
    levelMap[293][15] = 4;                     // the marker's own cell: ship first, then the diver
    game.shipX = 100;                          // as the previous pass left it
    game.playerShots[5] = {Flying, 205, 277};  // below the later diver's box
    updateWorld();
    EXPECT_EQ(game.divers[0].phase, Diving) << "level with last pass's shipX";
    EXPECT_EQ(game.divers[1].phase, Homing);
    EXPECT_EQ(game.divers[2].phase, Diving) << "level with this pass's shipX";
    EXPECT_EQ(game.divers[1].state, Destroyed) << "after the ship step moved the shot to 272";
    EXPECT_TRUE(frameShows({diverPicture(100, 103), shotPicture(205, 272), shipPicture(1, 144, 231),
                            diverPicture(150, 233), diverPicture(200, 251)}));
}
