// enemies_test.cpp -- divers and gunners: hits, homing, diving, gunner shots, contact, shared slots
#include <allegro.h>

#include "state/assets.h"
#include "state/level.h"
#include "world/world.h"
#include "world_fixture.h"

namespace {
// Every enemy here stands in map row 280, column 10: at (100, 101) on screen.
constexpr int row = 280, column = 10;
constexpr int cellX = cellScreenX(column), cellY = cellScreenY(row);

enum class Kind { Diver, Gunner };

struct Enemy : WorldTest {
    // One step of the enemy in slot 0 of the given kind at the cell above.
    void step(Kind kind) {
        if (kind == Kind::Diver) {
            updateDiver(0, row, column);
        } else {
            updateGunner(0, row, column);
        }
    }
    int32_t stateOf(Kind kind) {
        return kind == Kind::Diver ? game.divers[0].state : game.gunners[0].state;
    }
};
}  // namespace

using EnemyHit = Enemy;

TEST_F(EnemyHit, NeedsTheShotCornerStrictlyInsideA22PixelBoxForBothKinds) {
    struct Case {
        int dx, dy;
        bool hits;
    };
    const Case cases[] = {{1, 1, true},   {21, 21, true}, {21, 1, true},  {1, 21, true},
                          {0, 5, false},  {5, 0, false},  {22, 5, false}, {5, 22, false},
                          {-3, 5, false}, {30, 5, false}, {39, 5, false}};
    for (Kind kind : {Kind::Diver, Kind::Gunner}) {
        for (const Case& c : cases) {
            newGame();
            flyPlayerShot(4, cellX + c.dx, cellY + c.dy);
            step(kind);
            const auto where = ::testing::Message() << (kind == Kind::Diver ? "diver" : "gunner")
                                                    << ", shot at +" << c.dx << ", +" << c.dy;
            EXPECT_EQ(stateOf(kind), c.hits ? Destroyed : Alive) << where;
            EXPECT_EQ(game.playerShots[4].state, c.hits ? Ready : Flying) << where;
            EXPECT_EQ(blastsPlayed(), c.hits ? 1 : 0) << where;
        }
    }
}

TEST_F(EnemyHit, ConsumesEveryShotInsideTheBoxWithABlastEach) {
    flyPlayerShot(2, cellX + 5, cellY + 5);
    flyPlayerShot(9, cellX + 15, cellY + 10);
    flyPlayerShot(11, cellX + 30, cellY + 10);
    step(Kind::Diver);
    EXPECT_EQ(game.divers[0].state, Destroyed);
    EXPECT_EQ(game.playerShots[2].state, Ready);
    EXPECT_EQ(game.playerShots[9].state, Ready);
    EXPECT_EQ(game.playerShots[11].state, Flying) << "outside the box";
    EXPECT_EQ(blastsPlayed(), 2);
    const Explosion& e = game.divers[0].explosion;
    EXPECT_EQ(e.frame, 1);
    EXPECT_EQ(e.x, cellX);
    EXPECT_EQ(e.y, cellY);
    EXPECT_EQ(e.active, explosionRunning);
    EXPECT_EQ(e.tick, 0);
}

TEST_F(EnemyHit, TheHitEnemyStillMovesAndIsDrawnOnceMoreThenOnlyItsExplosionShows) {
    game.shipX = 250;
    game.divers[0].tick = 3;  // homes in this step
    flyPlayerShot(1, cellX + 3, cellY + 3);
    step(Kind::Diver);
    EXPECT_EQ(game.divers[0].offsetX, 5);
    EXPECT_TRUE(frameShows({diverPicture(cellX + 5, cellY)}));
    fillFrame();
    step(Kind::Diver);
    EXPECT_EQ(game.divers[0].offsetX, 5) << "a destroyed diver no longer homes";
    EXPECT_TRUE(frameShows({explosionPicture(1, cellX, cellY)}));
}

TEST_F(EnemyHit, AGunnerHitWhileLevelWithTheShipStillLaunchesItsShot) {
    game.shipX = cellX;
    game.shipY = 250;
    flyPlayerShot(1, cellX + 3, cellY + 3);
    step(Kind::Gunner);
    EXPECT_EQ(game.gunners[0].state, Destroyed);
    EXPECT_EQ(game.gunners[0].shots[1].state, Flying);
}

TEST_F(EnemyHit, AnExplosionStaysAtItsScreenPointWhileTheLevelScrollsUnderIt) {
    levelMap[row][column] = 2;
    flyPlayerShot(1, cellX + 10, cellY + 10);
    updateWorld();
    for (int call = 1; call <= 64; ++call) {
        if (call % 6 == 0) {  // the scroll steps as in play
            game.scrollY -= 10;
            game.topRow = (game.scrollY + 1) / 10;
        }
        fillFrame();
        updateWorld();
        const std::vector<Placed> expected =
            call < 64 ? std::vector<Placed>{explosionPicture(1 + call / 4, cellX, cellY)}
                      : std::vector<Placed>{};
        ASSERT_TRUE(frameShows(expected)) << "call " << call;
    }
    EXPECT_EQ(game.divers[0].explosion.active, explosionIdle);
    EXPECT_EQ(game.divers[0].y, cellY + 100) << "the diver's cell moved on";
    fillFrame();
    updateWorld();
    EXPECT_TRUE(frameShows({}));
}

using HomingAndDiving = Enemy;

TEST_F(HomingAndDiving, HomingStartsInTheFourthStepForBothKinds) {
    game.shipX = 250;
    const int diverOffsets[] = {0, 0, 0, 5, 10};
    const int gunnerOffsets[] = {0, 0, 0, 2, 4};
    for (int n = 0; n < 5; ++n) {
        step(Kind::Diver);
        step(Kind::Gunner);
        EXPECT_EQ(game.divers[0].offsetX, diverOffsets[n]) << "step " << n + 1;
        EXPECT_EQ(game.gunners[0].offsetX, gunnerOffsets[n]) << "step " << n + 1;
    }
    game.shipX = 0;
    step(Kind::Diver);
    step(Kind::Gunner);
    EXPECT_EQ(game.divers[0].offsetX, 5);
    EXPECT_EQ(game.gunners[0].offsetX, 2);
}

TEST_F(HomingAndDiving, ADiverThatNeverLandsExactlyOnShipXSwingsAroundItAndNeverDives) {
    game.shipX = cellX + 3;
    for (int n = 0; n < 30; ++n) step(Kind::Diver);
    EXPECT_EQ(game.divers[0].phase, Homing);
    EXPECT_EQ(game.divers[0].offsetY, 0);
    EXPECT_TRUE(game.divers[0].offsetX == 0 || game.divers[0].offsetX == 5);
}

TEST_F(HomingAndDiving, ADiverLevelWithTheShipDivesAndNeverHomesAgain) {
    game.shipX = cellX + 10;
    for (int n = 0; n < 5; ++n) step(Kind::Diver);
    EXPECT_EQ(game.divers[0].phase, Homing);
    step(Kind::Diver);  // x is 110 now
    EXPECT_EQ(game.divers[0].phase, Diving);
    EXPECT_EQ(game.divers[0].offsetY, 2);
    game.shipX = 300;
    fillFrame();
    for (int n = 0; n < 4; ++n) step(Kind::Diver);
    EXPECT_EQ(game.divers[0].offsetX, 10);
    EXPECT_EQ(game.divers[0].offsetY, 10);
    EXPECT_EQ(game.divers[0].y, cellY + 8);
}

TEST_F(HomingAndDiving, ADiverLevelWithTheShipInItsFirstStepDivesAtOnce) {
    game.shipX = cellX;
    step(Kind::Diver);
    EXPECT_EQ(game.divers[0].phase, Diving);
    EXPECT_TRUE(frameShows({diverPicture(cellX, cellY + 2)}));
}

using GunnerShots = Enemy;

TEST_F(GunnerShots, AFirstStepLevelWithTheShipLaunchesFromTheTopLeftCorner) {
    game.shipX = cellX;
    game.shipY = 250;
    game.shotCursor = 7;
    step(Kind::Gunner);
    const GunnerShot& shot = game.gunners[0].shots[7];
    EXPECT_EQ(shot.state, Flying);
    EXPECT_EQ(shot.x, 0);
    EXPECT_EQ(shot.y, 5);
    EXPECT_TRUE(frameShows({shotPicture(0, 5), gunnerPicture(1, cellX, cellY)}));
    EXPECT_EQ(game.gunners[0].shots[1].state, Ready) << "only the player's launch index";
    EXPECT_EQ(game.gunners[0].shots[1].x, cellX + 20);
    EXPECT_EQ(game.gunners[0].shots[1].y, cellY);
    step(Kind::Gunner);
    EXPECT_EQ(shot.y, 10) << "still level, but that shot already flies";
}

TEST_F(GunnerShots, AShotPassingThreeHundredTouchesOnceMoreThenReturnsToTheGunner) {
    game.gunners[0].shots[4] = {Flying, 200, 296};
    game.shipX = 180;
    game.shipY = 270;
    // A taller frame for this step, to see the draw just below the screen.
    BITMAP* const screenFrame = backBuffer;
    backBuffer = create_bitmap(320, 340);
    clear_to_color(backBuffer, backgroundColour);
    step(Kind::Gunner);
    EXPECT_TRUE(inkShows(shotPicture(200, 301)));
    destroy_bitmap(backBuffer);
    backBuffer = screenFrame;
    EXPECT_EQ(game.gunners[0].shots[4].state, Ready);
    EXPECT_EQ(game.gunners[0].shots[4].y, 301);
    EXPECT_EQ(game.gameMode, Title) << "tested at y 301";
    step(Kind::Gunner);
    EXPECT_EQ(game.gunners[0].shots[4].x, cellX + 20);
    EXPECT_EQ(game.gunners[0].shots[4].y, cellY);
}

TEST_F(GunnerShots, ADestroyedGunnersFlyingShotsFreezeUnseenAndHarmless) {
    game.gunners[0].shots[3] = {Flying, 200, 150};
    flyPlayerShot(1, cellX + 3, cellY + 3);
    step(Kind::Gunner);
    EXPECT_EQ(game.gunners[0].shots[3].y, 155) << "the hit step still moves it";
    game.shipX = 180;
    game.shipY = 140;
    for (int n = 0; n < 10; ++n) {
        fillFrame();
        step(Kind::Gunner);
    }
    EXPECT_EQ(game.gunners[0].shots[3].y, 155);
    EXPECT_EQ(game.gameMode, Playing);
    EXPECT_TRUE(frameShows({explosionPicture(3, cellX, cellY)}));
}

TEST_F(GunnerShots, AnimateWithFrameOneForFiveStepsThenEachFrameForSix) {
    for (int n = 1; n <= 24; ++n) {
        fillFrame();
        step(Kind::Gunner);
        const int frame = n < 6 ? 1 : n < 12 ? 2 : n < 18 ? 3 : n < 24 ? 4 : 1;
        const int drawnX = cellX + game.gunners[0].offsetX;
        ASSERT_TRUE(frameShows({gunnerPicture(frame, drawnX, cellY)})) << "step " << n;
    }
}

using Contact = Enemy;

TEST_F(Contact, ACornerStrictlyInsideThe42PixelShipBoxEndsTheGame) {
    struct Case {
        int dx, dy;  // the touching corner, from the ship's corner
        bool touches;
    };
    const Case cases[] = {{41, 41, true}, {1, 1, true},   {20, 41, true}, {0, 5, false},
                          {5, 0, false},  {42, 5, false}, {5, 42, false}, {-10, -10, false}};
    enum class Toucher { Diver, Gunner, GunnerShot };
    for (Toucher who : {Toucher::Diver, Toucher::Gunner, Toucher::GunnerShot}) {
        for (const Case& c : cases) {
            newGame();
            int cornerX = cellX, cornerY = cellY;
            if (who == Toucher::GunnerShot) {
                cornerX = 200;
                cornerY = 200;
                game.gunners[0].shots[2] = {Flying, cornerX, cornerY - 5};
            }
            game.shipX = cornerX - c.dx;
            game.shipY = cornerY - c.dy;
            step(who == Toucher::Diver ? Kind::Diver : Kind::Gunner);
            EXPECT_EQ(game.gameMode, c.touches ? Title : Playing)
                << "toucher " << static_cast<int>(who) << " at +" << c.dx << ", +" << c.dy;
        }
    }
}

TEST_F(Contact, UsesTheEnemysCornerFromTheStartOfItsStep) {
    game.shipX = cellX - 42;
    game.shipY = cellY - 5;
    game.divers[0].tick = 3;  // homes 5 pixels into the box in this step
    step(Kind::Diver);
    EXPECT_EQ(game.divers[0].offsetX, -5);
    EXPECT_EQ(game.gameMode, Playing);
    step(Kind::Diver);
    EXPECT_EQ(game.gameMode, Title);
}

TEST_F(Contact, OnTheTitleScreenChangesNothingAndTheRestOfThePassRuns) {
    game.gameMode = Title;
    game.shipX = cellX - 5;
    game.shipY = cellY - 5;
    step(Kind::Diver);
    EXPECT_EQ(game.gameMode, Title);
    EXPECT_EQ(game.divers[0].tick, 1);

    newGame();
    levelMap[row][column] = 2;  // touches the ship
    levelMap[row + 5][20] = 53;
    levelMap[row + 5][25] = 3;  // touches it too, on the title screen by then
    game.shipX = cellX - 5;
    game.shipY = cellY - 5;
    updateWorld();
    EXPECT_EQ(game.gameMode, Title);
    EXPECT_EQ(game.gunners[0].tick, 1);
    EXPECT_EQ(game.divers[1].tick, 1);
    EXPECT_TRUE(frameShows({diverPicture(cellX, cellY), gunnerPicture(1, 200, cellY + 50),
                            diverPicture(250, cellY + 50)}));
}

using SharedSlot = Enemy;

TEST_F(SharedSlot, EveryOccurrenceOfACodeRunsAFullStepOfTheSameSlot) {
    levelMap[row][column] = 2;
    levelMap[row + 5][20] = 2;
    game.shipX = 300;
    updateWorld();
    EXPECT_EQ(game.divers[0].tick, 2);
    EXPECT_EQ(game.divers[0].x, 200) << "the later occurrence's position";
    EXPECT_EQ(game.divers[0].y, cellY + 50);
    EXPECT_TRUE(frameShows({diverPicture(cellX, cellY), diverPicture(200, cellY + 50)}));

    // A hit at the earlier cell destroys both: the later one already runs the explosion.
    fillFrame();
    flyPlayerShot(1, cellX + 1, cellY + 1);
    updateWorld();
    EXPECT_EQ(game.divers[0].state, Destroyed);
    EXPECT_TRUE(frameShows({diverPicture(cellX, cellY), explosionPicture(1, cellX, cellY)}));
    updateWorld();
    EXPECT_EQ(game.divers[0].explosion.tick, 3) << "two calls per pass";
}

TEST_F(SharedSlot, AGunnerInTwoCellsDropsItsShotsTwiceAsFast) {
    levelMap[row][column] = 53;
    levelMap[row + 5][20] = 53;
    game.gunners[0].shots[6] = {Flying, 250, 50};
    game.shipX = 300;
    updateWorld();
    EXPECT_EQ(game.gunners[0].shots[6].y, 60);
    EXPECT_EQ(game.gunners[0].shots[0].x, 220) << "ready shots end at the later cell";
    EXPECT_EQ(game.gunners[0].frameTick, 2);
}
