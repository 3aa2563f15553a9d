// replay_scenario_test.cpp -- the game over many frames, as the replay runner shows it
#include <gtest/gtest.h>

#include "support/scenario.h"

using nlohmann::json;

namespace {
constexpr int title = 1, playing = 2;
constexpr int flying = 2;

// The sounds of every frame that started one, as (frame, sound) pairs.
std::vector<std::pair<size_t, json>> soundsOf(const ReplayRun& run) {
    std::vector<std::pair<size_t, json>> sounds;
    for (size_t n = 0; n < run.frames.size(); ++n) {
        for (const json& s : run.frames[n]["sounds"]) sounds.emplace_back(n, s);
    }
    return sounds;
}

}  // namespace

TEST(FrameZero, IsTheStartUpStateWithTheMusicAndAClearedPicture) {
    ReplayRun run = playScenario("nothing_but_comments.keys");
    ASSERT_EQ(run.frames.size(), 1u);
    const json& start = run.frames[0];
    EXPECT_EQ(start["frame"], 0);
    EXPECT_EQ(start["gameMode"], title);
    EXPECT_EQ(start["scrollY"], 0);
    EXPECT_EQ(start["topRow"], 1);
    EXPECT_EQ(start["glideDir"], 2);
    EXPECT_EQ(start["backdropScroll"], 51);
    EXPECT_EQ(start["sounds"], json::parse(R"([["music",255,127,1000,1]])"));
    EXPECT_EQ(start.count("quit"), 0u);
}

TEST(StartingAGame, ScrollWaitsFiveFramesThenStepsTenPixels) {
    ReplayRun run = playScenario("start_and_idle.keys");
    ASSERT_EQ(run.frames.size(), 33u);
    EXPECT_TRUE(fieldRunsThrough(run, "gameMode", 1, {title, playing}));
    EXPECT_TRUE(fieldRunsThrough(run, "scrollY", 2, {2699, 2699, 2699, 2699, 2699, 2699, 2689}));
    EXPECT_TRUE(fieldRunsThrough(run, "stepTick", 2, {0, 1, 2, 3, 4, 5, 0}));
    EXPECT_TRUE(fieldRunsThrough(run, "topRow", 1, {1, 270}));
}

TEST(KeyLines, HoldTheirKeysForExactlyTheirCount) {
    ReplayRun run = playScenario("climb_for_four_frames.keys");
    ASSERT_EQ(run.frames.size(), 9u);
    EXPECT_TRUE(fieldRunsThrough(run, "shipOffsetY", 1, {0, -4, -8, -12, -16, -16, -16, -16}));
}

TEST(Escape, FromTheStartEndsTheRunAfterFrameOne) {
    ReplayRun run = playScenario("escape_at_start.keys");
    ASSERT_EQ(run.frames.size(), 2u);
    EXPECT_EQ(run.frames[1]["quit"], true);
    EXPECT_EQ(run.frames[1]["gameMode"], title);
    EXPECT_NE(run.frames[1]["pixels"], run.frames[0]["pixels"])
        << "frame 1 was drawn before Escape was seen";
    EXPECT_TRUE(run.errors.empty()) << run.errors;
}

TEST(Escape, WithSDoesNotStartAGame) {
    ReplayRun run = playScenario("escape_and_s_together.keys");
    ASSERT_EQ(run.frames.size(), 2u);
    EXPECT_EQ(run.frames[1]["quit"], true);
    EXPECT_EQ(run.frames[1]["gameMode"], title);
    EXPECT_EQ(run.frames[1]["scrollY"], 0) << "no reset ran";
}

TEST(Escape, DuringAGameQuitsTheSameWayAndSkipsTheRestOfTheScript) {
    ReplayRun run = playScenario("escape_mid_game.keys");
    ASSERT_EQ(run.frames.size(), 53u);
    EXPECT_EQ(run.frames[52]["gameMode"], playing);
    EXPECT_EQ(run.frames[52]["quit"], true);
    EXPECT_EQ(firstFrameWhere(run, [](const json& f) { return f.contains("quit"); }), 52)
        << "quit appears on the Escape line only";
}

TEST(Firing, TheTenthFrameOfSpaceLaunchesAShotWithItsSound) {
    ReplayRun run = playScenario("hold_fire.keys");
    ASSERT_EQ(run.frames.size(), 14u);
    EXPECT_TRUE(fieldRunsThrough(run, "fireTick", 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2}));
    for (size_t n = 1; n <= 10; ++n) EXPECT_EQ(run.frames[n]["sounds"], json::array()) << n;
    EXPECT_EQ(run.frames[11]["sounds"], json::parse(R"([["shot",255,30,1000,0]])"));
    EXPECT_EQ(run.frames[11]["shotCursor"], 2);
    EXPECT_EQ(run.frames[10]["playerShots"][1][0], 1);
    EXPECT_EQ(run.frames[11]["playerShots"][1][0], flying);
}

TEST(Music, StartsOnFrameZeroOnlyThroughGamesAndTitleScreens) {
    ReplayRun run = playScenario("back_to_back_games.keys");
    ASSERT_EQ(run.frames.size(), 2001u);
    size_t shots = 0, blasts = 0;
    for (const auto& [frame, sound] : soundsOf(run)) {
        if (sound[0] == "music") {
            EXPECT_EQ(frame, 0u) << "music started again";
        }
        shots += sound[0] == "shot";
        blasts += sound[0] == "blast";
    }
    EXPECT_GT(shots, 100u);
    EXPECT_GT(blasts, 0u);
}

TEST(GameOver, LeavesTheGameAsItWasUntilSStartsTheNext) {
    ReplayRun run = playScenario("game_over_then_restart.keys");
    ASSERT_EQ(run.frames.size(), 408u);
    long over = firstFrameWhere(run, [](const json& f) { return f["gameMode"] == title; }, 2);
    ASSERT_GT(over, 2) << "the idle ship is never hit";
    ASSERT_LT(over, 401);
    const json& ended = run.frames[over];
    for (size_t n = over; n <= 401; ++n) {
        EXPECT_EQ(run.frames[n]["gameMode"], title) << n;
        EXPECT_EQ(run.frames[n]["scrollY"], ended["scrollY"]) << n;
        EXPECT_EQ(run.frames[n]["divers"], ended["divers"]) << n;
    }
    EXPECT_TRUE(fieldRunsThrough(run, "gameMode", 402, {playing, playing}));
    EXPECT_TRUE(fieldRunsThrough(run, "scrollY", 402, {2699}));
    EXPECT_TRUE(fieldRunsThrough(run, "topRow", 402, {270}));
}

TEST(GameOver, WithSHeldTheNextGameStartsInTheSameFrame) {
    ReplayRun run = playScenario("back_to_back_games.keys");
    long restart = firstFrameWhere(
        run,
        [&run](const json& f) {
            size_t n = f["frame"];
            return n > 1 && f["scrollY"] > run.frames[n - 1]["scrollY"];
        },
        2);
    ASSERT_GT(restart, 0) << "no second game within 2000 frames";
    EXPECT_EQ(run.frames[restart]["scrollY"], 2699);
    for (size_t n = 1; n < run.frames.size(); ++n)
        ASSERT_EQ(run.frames[n]["gameMode"], playing) << "frame " << n << " shows the title";
}

TEST(Pixels, FollowTheTitleBlinkAndRepeatExactly) {
    ReplayRun run = playScenario("title_blink.keys");
    ASSERT_EQ(run.frames.size(), 601u);
    auto pixels = [&run](size_t n) { return run.frames[n]["pixels"].get<std::string>(); };
    EXPECT_EQ(pixels(1), pixels(299)) << "picture 1 all along";
    EXPECT_NE(pixels(300), pixels(299)) << "the blank title at 300";
    EXPECT_NE(pixels(301), pixels(299)) << "picture 2 from 301";
    EXPECT_NE(pixels(301), pixels(300));
    EXPECT_EQ(pixels(301), pixels(499));
    EXPECT_EQ(pixels(500), pixels(300)) << "blank again at 500";
    EXPECT_EQ(pixels(501), pixels(1)) << "the counter wrapped and picture 1 is back";
    EXPECT_TRUE(fieldRunsThrough(run, "titleBlinkTick", 499, {499, 500, 0, 1}));

    EXPECT_TRUE(sameTrace(run, playScenario("title_blink.keys"))) << "the same script, another run";
}

TEST(Replays, OfTheSameGameAreIdenticalAndADifferentKeyShowsWhere) {
    const std::string game = "1 S\n300 SPACE\n";
    ReplayRun first = runReplay(game);
    ReplayRun second = runReplay(game);
    ASSERT_EQ(first.frames.size(), 302u);
    EXPECT_TRUE(sameTrace(first, second));

    ReplayRun steered = runReplay("1 S\n48 SPACE\n1 SPACE+RIGHT\n251 SPACE\n");
    ::testing::AssertionResult compared = sameTrace(first, steered);
    EXPECT_FALSE(compared);
    EXPECT_NE(std::string(compared.message()).find("frame 50 "), std::string::npos)
        << compared.message();
}
