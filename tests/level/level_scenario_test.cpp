// level_scenario_test.cpp -- whole games replayed to the top of the level
//
// The ship climbs off the top of the screen in these scripts: there no enemy or
// enemy shot reaches it, so the game runs until the scroll ends it. S is pressed in
// frame 1, so game frame k is trace frame k + 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scenario.h"

using nlohmann::json;

namespace {
constexpr int title = 1, playing = 2;

// Checks a game that started in frame 1 and that the scroll ends in trace frame `end`
// after stepping every `pace` frames, the first step in game frame `pace`.
void expectLevelEnd(const ReplayRun& run, size_t end, size_t pace) {
    ASSERT_GT(run.frames.size(), end + 1);
    const long firstTitle = firstFrameWhere(
        run, [](const json& f) { return f["gameMode"] == title; }, 2);
    ASSERT_EQ(firstTitle, static_cast<long>(end)) << "the game ended early or late";
    std::vector<long> misplacedSteps;
    for (size_t n = 2; n <= end; ++n) {
        const bool stepped = traceField(run, n, "scrollY") != traceField(run, n - 1, "scrollY");
        if (stepped != ((n - 1) % pace == 0)) misplacedSteps.push_back(static_cast<long>(n));
    }
    EXPECT_TRUE(misplacedSteps.empty()) << "first misplaced step in frame " << misplacedSteps[0];
    EXPECT_EQ(traceField(run, end - 1, "gameMode"), playing);
    EXPECT_EQ(traceField(run, end - 1, "topRow"), 15) << "the last world pass saw row 15";
    EXPECT_EQ(traceField(run, end - 1, "scrollY"), 149);
    EXPECT_EQ(traceField(run, end, "topRow"), 14);
    EXPECT_EQ(traceField(run, end, "scrollY"), 139);
    for (size_t n = end; n < run.frames.size(); ++n) {
        EXPECT_EQ(traceField(run, n, "gameMode"), title) << "frame " << n;
        EXPECT_EQ(traceField(run, n, "scrollY"), 139) << "frame " << n;
        EXPECT_EQ(traceField(run, n, "topRow"), 14) << "frame " << n;
    }
    EXPECT_EQ(traceField(run, end, "shipOffsetY"), traceField(run, end - 1, "shipOffsetY"))
        << "Up no longer acts in the frame that ends the game";
    EXPECT_NE(run.frames[end]["pixels"], run.frames[end + 1]["pixels"])
        << "the last frame shows the game, the next the title";
}
}  // namespace

TEST(ReplayedLevelEnd, WithoutSteeringComesIn1536thFrameOfTheGame) {
    ReplayRun run = playScenario("level_unsteered_to_the_end.keys");
    ASSERT_EQ(run.frames.size(), 1547u);
    expectLevelEnd(run, 1537, 6);
    EXPECT_LT(traceField(run, 1536, "shipY"), -5000) << "Up has no limit";
}

TEST(ReplayedLevelEnd, WithOneSteeringKeyHeldComesIn1024thFrame) {
    ReplayRun run = playScenario("level_one_key_to_the_end.keys");
    ASSERT_EQ(run.frames.size(), 1037u);
    expectLevelEnd(run, 1025, 4);
}

TEST(ReplayedLevelEnd, WithBothSteeringKeysHeldComesIn768thFrame) {
    ReplayRun run = playScenario("level_both_keys_to_the_end.keys");
    ASSERT_EQ(run.frames.size(), 777u);
    expectLevelEnd(run, 769, 3);
}

TEST(ReplayedLevelEnd, WithSHeldStartsTheNextGameInTheSameFrame) {
    ReplayRun ended = playScenario("level_unsteered_to_the_end.keys");
    ReplayRun held = playScenario("level_s_held_at_the_end.keys");
    ASSERT_EQ(held.frames.size(), 1562u);
    for (size_t n = 1; n < 1537; ++n) {
        ASSERT_EQ(held.frames[n], ended.frames[n]) << "S does nothing while playing: frame " << n;
    }
    EXPECT_EQ(traceField(held, 1537, "gameMode"), playing) << "the title screen never shows";
    EXPECT_EQ(traceField(held, 1537, "scrollY"), 2699);
    EXPECT_EQ(traceField(held, 1537, "topRow"), 270);
    EXPECT_EQ(traceField(held, 1537, "shipOffsetY"), 0);
    EXPECT_EQ(traceField(held, 1538, "stepTick"), 1) << "the next frame is the new game's first";
    EXPECT_EQ(traceField(held, 1538, "backdropScroll"), 54);
}

TEST(ProgramStart, ViewStaysAtRowOneUntilTheFirstGame) {
    ReplayRun run = runReplay("50 -\n1 S\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    for (size_t n = 0; n <= 50; ++n) {
        EXPECT_EQ(traceField(run, n, "scrollY"), 0) << "frame " << n;
        EXPECT_EQ(traceField(run, n, "topRow"), 1) << "frame " << n;
    }
    EXPECT_EQ(traceField(run, 51, "scrollY"), 2699);
    EXPECT_EQ(traceField(run, 51, "topRow"), 270);
}
