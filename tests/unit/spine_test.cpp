// spine_test.cpp -- start-up state, the two kinds of reset, asset loading and shutdown
#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "shell/frame.h"
#include "state/assets.h"
#include "state/cues.h"
#include "state/level.h"
#include "support/headless_session.h"

namespace fs = std::filesystem;

using StartUpState = HeadlessGame;

TEST_F(StartUpState, IsTheTitleScreenWithEverythingReadyForAGame) {
    EXPECT_EQ(game.gameMode, Title);
    EXPECT_EQ(game.titleBlinkTick, 0);
    EXPECT_EQ(game.backdropScroll, 51);
    EXPECT_EQ(game.scrollY, 0);
    EXPECT_EQ(game.topRow, 1);
    EXPECT_EQ(game.glideDir, glideRight);
    EXPECT_EQ(game.shotCursor, 1);
    EXPECT_EQ(game.shipFrame, 1);
    for (int32_t d : game.scoreDigits) EXPECT_EQ(d, 0);
    for (const PlayerShot& s : game.playerShots) {
        EXPECT_EQ(s.state, Ready);
        EXPECT_EQ(s.x, 0);
        EXPECT_EQ(s.y, 0);
    }
    for (const Diver& d : game.divers) {
        EXPECT_EQ(d.state, Alive);
        EXPECT_EQ(d.phase, Homing);
        EXPECT_EQ(d.explosion.active, explosionIdle);
    }
    for (const Gunner& g : game.gunners) {
        EXPECT_EQ(g.state, Alive);
        EXPECT_EQ(g.frame, 1);
        EXPECT_EQ(g.explosion.active, explosionIdle);
        for (const GunnerShot& s : g.shots) EXPECT_EQ(s.state, Ready);
    }
    EXPECT_EQ(levelMap[23][15], 1) << "initSession loads the level";
}

TEST_F(StartUpState, StartsTheMusicOnceAndNothingElse) {
    ASSERT_EQ(recordedSounds().size(), 1u);
    const RecordedSound& music = recordedSounds()[0];
    EXPECT_EQ(music.cue, "music");
    EXPECT_EQ(music.volume, 255);
    EXPECT_EQ(music.pan, 127);
    EXPECT_EQ(music.frequency, 1000);
    EXPECT_EQ(music.loop, 1);
}

TEST_F(StartUpState, BackBufferIsAClearedWindowSizedPicture) {
    ASSERT_NE(backBuffer, nullptr);
    EXPECT_EQ(backBuffer->w, 320);
    EXPECT_EQ(backBuffer->h, 300);
    EXPECT_EQ(bitmap_color_depth(backBuffer), 8);
    EXPECT_EQ(getpixel(backBuffer, 0, 0), 0);
    EXPECT_EQ(getpixel(backBuffer, 319, 299), 0);
}

using Reset = HeadlessGame;

TEST_F(Reset, OnTheTitleScreenAlsoClearsScoreRewindsScrollAndReloadsLevel) {
    game.scoreDigits[4] = 7;
    game.scrollY = 139;
    game.topRow = 14;
    levelMap[23][15] = 0;
    game.backdropScroll = 300;
    game.shipX = 66;
    game.shipY = 77;
    game.titleBlinkTick = 123;
    resetGame();
    EXPECT_EQ(game.scoreDigits[4], 0);
    EXPECT_EQ(game.scrollY, 2699);
    EXPECT_EQ(game.topRow, 270);
    EXPECT_EQ(levelMap[23][15], 1);
    EXPECT_EQ(game.backdropScroll, 51);
    EXPECT_EQ(game.glideDir, glideLeft);
    EXPECT_EQ(game.gameMode, Title) << "the caller sets Playing";
    EXPECT_EQ(game.shipX, 66) << "ship position survives a reset";
    EXPECT_EQ(game.shipY, 77);
    EXPECT_EQ(game.titleBlinkTick, 123) << "the blink runs on across games";
}

TEST_F(Reset, AtStartUpLeavesScoreScrollAndLevelAlone) {
    game.gameMode = 0;  // as during start-up, before initSession
    game.scoreDigits[0] = 3;
    game.scrollY = 0;
    game.topRow = 1;
    levelMap[23][15] = 0;
    game.divers[5].state = Destroyed;
    game.playerShots[3].state = Flying;
    resetGame();
    EXPECT_EQ(game.scoreDigits[0], 3);
    EXPECT_EQ(game.scrollY, 0);
    EXPECT_EQ(game.topRow, 1);
    EXPECT_EQ(levelMap[23][15], 0);
    EXPECT_EQ(game.divers[5].state, Alive) << "slots are reset in every mode";
    EXPECT_EQ(game.playerShots[3].state, Ready);
    EXPECT_EQ(game.backdropScroll, 51);
}

TEST_F(Reset, KeepsEnemyPositionsButRestoresTheirState) {
    Diver& d = game.divers[7];
    d.x = 40;
    d.y = 50;
    d.offsetX = 15;
    d.offsetY = 8;
    d.tick = 9;
    d.phase = Diving;
    d.explosion = {12, 3, 4, explosionRunning, 2};
    Gunner& g = game.gunners[2];
    g.x = 11;
    g.y = 22;
    g.frame = 3;
    g.frameTick = 4;
    g.shots[5] = {Flying, 100, 200};
    resetGame();
    EXPECT_EQ(d.x, 40);
    EXPECT_EQ(d.y, 50);
    EXPECT_EQ(d.offsetX, 0);
    EXPECT_EQ(d.offsetY, 0);
    EXPECT_EQ(d.tick, 0);
    EXPECT_EQ(d.phase, Homing);
    EXPECT_EQ(d.explosion.frame, 1);
    EXPECT_EQ(d.explosion.active, explosionIdle);
    EXPECT_EQ(g.x, 11);
    EXPECT_EQ(g.y, 22);
    EXPECT_EQ(g.frame, 1);
    EXPECT_EQ(g.frameTick, 0);
    EXPECT_EQ(g.shots[5].state, Ready);
    EXPECT_EQ(g.shots[5].x, 0);
}

// Start-up in a scratch folder whose data/ the test writes itself.
class AssetFolder : public ::testing::Test {
protected:
    void SetUp() override {
        original_ = fs::current_path();
        scratch_ = fs::temp_directory_path() / ("driftwing-assets-" + std::to_string(getpid()));
        fs::remove_all(scratch_);
        fs::create_directories(scratch_ / "data");
        fs::copy(original_ / "data", scratch_ / "data", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::current_path(scratch_);
    }
    void TearDown() override {
        fs::current_path(original_);
        fs::remove_all(scratch_);
    }
    // Writes a small 8-bit picture whose palette entry 1 has the given red value.
    void writePicture(const char* file, int red) {
        PALETTE pal;
        for (int i = 0; i < 256; ++i) pal[i] = {0, 0, 0, 0};
        pal[1].r = static_cast<unsigned char>(red);
        BITMAP* b = create_bitmap_ex(8, 1000, 600);
        clear_to_color(b, 1);
        ASSERT_EQ(save_bmp(file, b, pal), 0);
        destroy_bitmap(b);
    }
    fs::path original_, scratch_;
};

TEST_F(AssetFolder, SpritePaletteEndsWithTheBackdropsPalette) {
    writePicture("data/main.bmp", 10);
    writePicture("data/back.bmp", 20);
    writePicture("data/main2.bmp", 30);
    ASSERT_EQ(startFreshSession(), 0);
    EXPECT_EQ(spritePalette[1].r, 20);
    EXPECT_EQ(titlePalette[1].r, 30);
}

TEST_F(AssetFolder, AMissingFileFailsStartUpNamingTheFirstMissingOneInLoadOrder) {
    fs::remove("data/gmsong.wav");
    fs::remove("data/back.bmp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(startFreshSession(), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("data/back.bmp"), std::string::npos) << err;
    EXPECT_EQ(err.find("gmsong"), std::string::npos) << "one line, the first failure";
    EXPECT_EQ(spriteSheet, nullptr) << "what was loaded is released again";
    EXPECT_EQ(titleSheet, nullptr);
    EXPECT_EQ(shotSound, nullptr);
    EXPECT_TRUE(recordedSounds().empty()) << "no music without every asset";
}

TEST_F(AssetFolder, ShutdownReleasesEverything) {
    ASSERT_EQ(startFreshSession(), 0);
    shutdownAssets();
    EXPECT_EQ(backBuffer, nullptr);
    EXPECT_EQ(spriteSheet, nullptr);
    EXPECT_EQ(backdrop, nullptr);
    EXPECT_EQ(titleSheet, nullptr);
    EXPECT_EQ(musicLoop, nullptr);
}

TEST(CueTable, ShotIsLeftOfCentreBlastRightOfCentreMusicLoops) {
    EXPECT_EQ(cueSpec(Cue::Shot).pan, 30);
    EXPECT_EQ(cueSpec(Cue::Shot).loop, 0);
    EXPECT_EQ(cueSpec(Cue::Blast).pan, 150);
    EXPECT_EQ(cueSpec(Cue::Blast).loop, 0);
    EXPECT_EQ(cueSpec(Cue::Music).pan, 127);
    EXPECT_EQ(cueSpec(Cue::Music).loop, 1);
    for (Cue c : {Cue::Music, Cue::Shot, Cue::Blast}) {
        EXPECT_EQ(cueSpec(c).volume, 255);
        EXPECT_EQ(cueSpec(c).frequency, 1000);
    }
}
