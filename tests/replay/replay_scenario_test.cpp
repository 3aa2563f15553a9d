// replay_scenario_test.cpp -- the game over many frames, as the replay runner shows it
#include <gtest/gtest.h>

#include "support/scenario.h"

using nlohmann::json;

TEST(StartingAGame, ScrollWaitsFiveFramesThenStepsTenPixels) {
    ReplayRun run = runScenario("start_and_idle.keys");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.frames.size(), 33u);
    EXPECT_TRUE(fieldRunsThrough(run, "gameMode", 1, {1, 2}));
    EXPECT_TRUE(fieldRunsThrough(run, "scrollY", 2, {2699, 2699, 2699, 2699, 2699, 2699, 2689}));
    EXPECT_TRUE(fieldRunsThrough(run, "stepTick", 2, {0, 1, 2, 3, 4, 5, 0}));
}
