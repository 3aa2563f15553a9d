// sprites_test.cpp -- which sheet picture lands where, masking, clipping, and an explosion's life
#include "world/sprites.h"

#include "world_fixture.h"

using SpriteDrawing = WorldTest;

TEST_F(SpriteDrawing, ShipAndGunnerFramesComeFromTheirOwnRowOfFourPictures) {
    for (int frame = 1; frame <= 4; ++frame) {
        for (int other = frame + 1; other <= 4; ++other) {
            ASSERT_TRUE(picturesDiffer(shipPicture(frame, 0, 0), shipPicture(other, 0, 0)));
            ASSERT_TRUE(picturesDiffer(gunnerPicture(frame, 0, 0), gunnerPicture(other, 0, 0)));
        }
        ASSERT_TRUE(picturesDiffer(shipPicture(frame, 0, 0), gunnerPicture(frame, 0, 0)));
    }
    for (int frame = 1; frame <= 4; ++frame) {
        fillFrame();
        drawShip(frame, 100, 50);
        EXPECT_TRUE(frameShows({shipPicture(frame, 100, 50)})) << "ship frame " << frame;
        fillFrame();
        drawGunner(frame, 7, 200);
        EXPECT_TRUE(frameShows({gunnerPicture(frame, 7, 200)})) << "gunner frame " << frame;
    }
}

TEST_F(SpriteDrawing, ExplosionFramesFollowTheUnevenSheetLayout) {
    // Frame 16 sits at 938; evenly spaced guesses would read 945 or 960.
    const Placed last = explosionPicture(16, 0, 0);
    ASSERT_TRUE(picturesDiffer(last, {945, 538, 62, 62, 0, 0}));
    ASSERT_TRUE(picturesDiffer(last, {960, 538, 62, 62, 0, 0}));
    for (int frame = 1; frame <= 16; ++frame) {
        fillFrame();
        drawExplosion(frame, 120, 90);
        EXPECT_TRUE(frameShows({explosionPicture(frame, 120, 90)})) << "explosion frame " << frame;
    }
}

TEST_F(SpriteDrawing, MaskedCopyLeavesTheFrameWhereTheSheetHoldsColourZero) {
    ASSERT_TRUE(hasInkAndMask(shipPicture(1, 0, 0)));
    ASSERT_TRUE(hasInkAndMask(explosionPicture(8, 0, 0)));
    // Overlapping pictures: the later one shows through only where it has ink.
    drawExplosion(8, 60, 60);
    drawShip(1, 70, 80);
    EXPECT_TRUE(frameShows({explosionPicture(8, 60, 60), shipPicture(1, 70, 80)}));
}

TEST_F(SpriteDrawing, PicturesAtTheEdgesAreClippedAndThoseOffTheFrameDrawNothing) {
    drawShip(2, -15, -7);
    drawExplosion(16, 290, 270);
    drawGunner(3, -5, 280);
    EXPECT_TRUE(frameShows(
        {shipPicture(2, -15, -7), explosionPicture(16, 290, 270), gunnerPicture(3, -5, 280)}));
    fillFrame();
    drawShip(1, 320, 10);
    drawGunner(1, -40, 10);
    drawExplosion(1, 10, 300);
    drawShip(4, 10, -40);
    drawExplosion(5, -1000, -1000);
    EXPECT_TRUE(frameShows({}));
}

TEST_F(SpriteDrawing, FrameNumbersOutsideEachTableDrawNothing) {
    for (int frame : {0, 5, -1, 17}) {
        drawShip(frame, 100, 100);
        drawGunner(frame, 100, 100);
    }
    for (int frame : {0, 17, -3, 18}) drawExplosion(frame, 100, 100);
    EXPECT_TRUE(frameShows({}));
}

using ExplosionLife = WorldTest;

// Runs the explosion once per call and checks what each call draws.
void expectFullRun(Explosion& e, int x, int y) {
    for (int call = 1; call <= 64; ++call) {
        fillFrame();
        advanceExplosion(e);
        if (call < 64) {
            const int frame = 1 + call / 4;  // frame 1 on three calls, then four each
            ASSERT_EQ(e.frame, frame) << "call " << call;
            ASSERT_EQ(e.active, explosionRunning) << "call " << call;
            ASSERT_TRUE(frameShows({explosionPicture(frame, x, y)})) << "call " << call;
        } else {
            EXPECT_EQ(e.frame, 17);
            EXPECT_EQ(e.active, explosionIdle);
            EXPECT_TRUE(frameShows({})) << "the ending call draws nothing";
        }
    }
}

TEST_F(ExplosionLife, ShowsSixteenFramesOverSixtyThreeCallsAndEndsIdleOnTheSixtyFourth) {
    Explosion e{9, 5, 5, explosionIdle, 3};
    startExplosion(e, 37, 120);
    EXPECT_EQ(e.frame, 1);
    EXPECT_EQ(e.x, 37);
    EXPECT_EQ(e.y, 120);
    EXPECT_EQ(e.active, explosionRunning);
    EXPECT_EQ(e.tick, 0);
    expectFullRun(e, 37, 120);
}

TEST_F(ExplosionLife, StartingAgainWhileRunningBeginsTheWholeRunAnew) {
    Explosion e{};
    startExplosion(e, -20, 250);
    for (int call = 0; call < 30; ++call) advanceExplosion(e);
    startExplosion(e, -20, 250);
    EXPECT_EQ(e.frame, 1);
    EXPECT_EQ(e.tick, 0);
    expectFullRun(e, -20, 250);
}
