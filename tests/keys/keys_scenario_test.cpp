// keys_scenario_test.cpp -- the seven keys and the scroll pace, replayed frame by frame
//
// In every script S is pressed in frame 1 unless it says otherwise, so frame 2 of a
// trace is the first frame of the game.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scenario.h"

using nlohmann::json;

namespace {
constexpr int title = 1, playing = 2;
constexpr int ready = 1, flying = 2;
constexpr int left = 1, right = 2;

bool scrolled(const ReplayRun& run, size_t frame) {
    return traceField(run, frame, "scrollY") != traceField(run, frame - 1, "scrollY");
}

// The frames in first..last in which the scroll stepped.
std::vector<size_t> stepFrames(const ReplayRun& run, size_t first, size_t last) {
    std::vector<size_t> steps;
    for (size_t n = first; n <= last; ++n) {
        if (scrolled(run, n)) steps.push_back(n);
    }
    return steps;
}

std::vector<size_t> everyNth(size_t first, size_t step, size_t last) {
    std::vector<size_t> frames;
    for (size_t n = first; n <= last; n += step) frames.push_back(n);
    return frames;
}

// The shot sounds of a run, by frame.
std::vector<size_t> shotFrames(const ReplayRun& run) {
    std::vector<size_t> frames;
    for (size_t n = 0; n < run.frames.size(); ++n) {
        for (const json& s : run.frames[n]["sounds"]) {
            if (s[0] == "shot") {
                EXPECT_EQ(s, json::parse(R"(["shot",255,30,1000,0])")) << "frame " << n;
                frames.push_back(n);
            }
        }
    }
    return frames;
}

// Checks, over the frames of a game in which steering keys were held, that the keys
// move the ship's frame only in the frames in which the scroll stepped: by one per
// key, each followed by the wrap above 3, a wrap that also runs in the other frames.
// The ship's own animation runs first, in the world pass: it advanced in the frames
// whose trace shows its counter back at 0. Returns the step frames checked.
int checkShipFrameFollowsSteps(const ReplayRun& run, size_t first, size_t last, int keysHeld) {
    int checkedSteps = 0;
    for (size_t n = first; n <= last; ++n) {
        int frame = traceField(run, n - 1, "shipFrame");
        if (traceField(run, n, "shipFrameTick") == 0) {
            frame += 1;
            if (frame > 4) frame = 1;
        }
        if (scrolled(run, n)) {
            for (int k = 0; k < keysHeld; ++k) {
                frame += 1;
                if (frame > 3) frame = 1;
            }
            ++checkedSteps;
        } else if (frame > 3) {
            frame = 1;
        }
        EXPECT_EQ(traceField(run, n, "shipFrame"), frame)
            << "frame " << n << (scrolled(run, n) ? " (a step)" : " (no step)");
    }
    return checkedSteps;
}
}  // namespace

TEST(ScrollPace, WithNoKeyStepsEverySixthFrameFromTheSixthFrameOfTheGame) {
    ReplayRun run = playScenario("keys_pace_none.keys");
    ASSERT_EQ(run.frames.size(), 102u);
    EXPECT_EQ(stepFrames(run, 2, 101), everyNth(7, 6, 101));
    EXPECT_TRUE(fieldRunsThrough(run, "stepTick", 1, {0, 1, 2, 3, 4, 5, 0, 1}));
    EXPECT_TRUE(fieldRunsThrough(run, "scrollY", 1, {2699, 2699, 2699, 2699, 2699, 2699, 2689}));
    EXPECT_TRUE(fieldRunsThrough(run, "topRow", 0, {1, 270, 270, 270, 270, 270, 270, 269}));
}

TEST(ScrollPace, WithOneSteeringKeyStepsEveryFourthFrame) {
    ReplayRun run = playScenario("keys_pace_one.keys");
    ASSERT_EQ(run.frames.size(), 62u);
    EXPECT_EQ(stepFrames(run, 2, 61), everyNth(5, 4, 61));
    EXPECT_TRUE(fieldRunsThrough(run, "stepTick", 1, {0, 2, 4, 6, 0, 2, 4, 6, 0}));
    EXPECT_EQ(traceField(run, 5, "scrollY"), 2689);
    EXPECT_EQ(traceField(run, 5, "topRow"), 269);
    EXPECT_EQ(traceField(run, 61, "topRow"), 270 - 15);
}

TEST(ScrollPace, WithBothSteeringKeysStepsEveryThirdFrameAndGlidesRight) {
    ReplayRun run = playScenario("keys_pace_both.keys");
    ASSERT_EQ(run.frames.size(), 62u);
    EXPECT_EQ(stepFrames(run, 2, 61), everyNth(4, 3, 61));
    EXPECT_TRUE(fieldRunsThrough(run, "stepTick", 1, {0, 3, 6, 0, 3, 6, 0}));
    for (size_t n = 2; n <= 61; ++n) EXPECT_EQ(traceField(run, n, "glideDir"), right) << "frame " << n;
    EXPECT_GT(traceField(run, 61, "shipX"), traceField(run, 2, "shipX")) << "the ship moved right";
}

TEST(SteeringKeys, AdvanceTheShipFrameOnlyInStepFrames) {
    ReplayRun one = playScenario("keys_pace_one.keys");
    EXPECT_EQ(checkShipFrameFollowsSteps(one, 2, 61, 1), 15);
    ReplayRun both = playScenario("keys_pace_both.keys");
    EXPECT_EQ(checkShipFrameFollowsSteps(both, 2, 61, 2), 20);
}

TEST(SteeringKeys, WrapTheShipFrameAboveThreeEvenWithoutAStep) {
    ReplayRun run = playScenario("keys_steer_after_a_pause.keys");
    ASSERT_EQ(run.frames.size(), 70u);
    checkShipFrameFollowsSteps(run, 11, 69, 1);
    int wrappedWithoutStep = 0;
    for (size_t n = 11; n <= 69; ++n) {
        if (!scrolled(run, n) && traceField(run, n, "shipFrameTick") == 0 &&
            traceField(run, n - 1, "shipFrame") == 3) {
            EXPECT_EQ(traceField(run, n, "shipFrame"), 1) << "frame " << n;
            ++wrappedWithoutStep;
        }
    }
    EXPECT_GT(wrappedWithoutStep, 0) << "the script no longer brings the ship to frame 4";
}

TEST(SteeringKeys, SetTheGlideInEveryFrameTheyAreHeld) {
    ReplayRun run = playScenario("keys_pace_one.keys");
    for (size_t n = 2; n <= 61; ++n) EXPECT_EQ(traceField(run, n, "glideDir"), right) << "frame " << n;
    ReplayRun none = playScenario("keys_pace_none.keys");
    EXPECT_EQ(traceField(none, 1, "glideDir"), left) << "a game starts gliding left";
}

TEST(EscapeKey, QuitsWithoutActingOnAnyOtherKey) {
    ReplayRun run = playScenario("keys_escape_with_everything.keys");
    ASSERT_EQ(run.frames.size(), 12u) << "the run ends in the frame Escape is seen";
    const json& before = run.frames[10];
    const json& quit = run.frames[11];
    EXPECT_EQ(quit["quit"], true);
    EXPECT_EQ(quit["gameMode"], playing);
    EXPECT_EQ(quit["shipOffsetY"], before["shipOffsetY"]) << "neither Up nor Down acted";
    EXPECT_EQ(quit["fireTick"], before["fireTick"]) << "Space did not count";
    EXPECT_EQ(quit["glideDir"], left) << "Right did not act";
    EXPECT_EQ(quit["stepTick"], traceField(run, 10, "stepTick") + 1) << "no steering key counted";
    EXPECT_TRUE(quit["sounds"].empty());
}

TEST(EscapeKey, OnTheTitleScreenStopsDownToo) {
    ReplayRun run = runReplay("1 ESC+DOWN\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    ASSERT_EQ(run.frames.size(), 2u);
    EXPECT_EQ(run.frames[1]["shipOffsetY"], 0);
}

TEST(SKey, WithSpaceStartsTheGameWithoutAShot) {
    ReplayRun run = playScenario("keys_s_and_space.keys");
    ASSERT_EQ(run.frames.size(), 16u);
    EXPECT_TRUE(fieldRunsThrough(run, "gameMode", 2, {title, playing, playing}));
    EXPECT_EQ(traceField(run, 3, "fireTick"), 0);
    EXPECT_EQ(traceField(run, 3, "stepTick"), 0);
    EXPECT_EQ(traceField(run, 3, "scrollY"), 2699);
    for (const json& shot : run.frames[3]["playerShots"]) EXPECT_EQ(shot[0], ready);
    EXPECT_EQ(traceField(run, 4, "stepTick"), 1) << "frame 4 is the first frame of the game";
    EXPECT_EQ(traceField(run, 4, "backdropScroll"), 54);
    // Space held from frame 4 on: the tenth frame of holding launches.
    EXPECT_EQ(shotFrames(run), std::vector<size_t>{13});
    EXPECT_TRUE(fieldRunsThrough(run, "fireTick", 3, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1}));
}

TEST(SKey, HeldThroughALostGameStartsTheNextOneInTheSameFrame) {
    ReplayRun lost = runReplay("1 S\n199 -\n");
    ASSERT_EQ(lost.exitCode, 0) << lost.errors;
    const long end = firstFrameWhere(
        lost, [](const json& f) { return f["gameMode"] == title; }, 2);
    ASSERT_GT(end, 2) << "an enemy ends the unsteered game";
    ASSERT_NE(traceField(lost, end, "topRow"), 14);

    ReplayRun held = playScenario("keys_s_held_through_a_lost_game.keys");
    ASSERT_EQ(held.frames.size(), 201u);
    for (long n = 1; n < end; ++n) {
        ASSERT_EQ(held.frames[n], lost.frames[n]) << "S does nothing while playing: frame " << n;
    }
    EXPECT_EQ(traceField(held, end, "gameMode"), playing) << "the title screen never shows";
    EXPECT_EQ(traceField(held, end, "scrollY"), 2699);
    EXPECT_EQ(traceField(held, end, "topRow"), 270);
    EXPECT_EQ(traceField(held, end, "stepTick"), 0);
    EXPECT_EQ(traceField(held, end, "backdropScroll"), 51);
    EXPECT_EQ(traceField(held, end + 1, "stepTick"), 1) << "the next frame is the new game's first";
    EXPECT_EQ(traceField(held, end + 1, "backdropScroll"), 54);
}

TEST(SpaceKey, TenSingleFrameTapsLaunchOnTheTenth) {
    ReplayRun run = playScenario("keys_space_taps.keys");
    ASSERT_EQ(run.frames.size(), 33u);
    // Taps in frames 2, 5, 8, ..., 29.
    for (int tap = 1; tap <= 9; ++tap) {
        const size_t n = 2 + 3 * (tap - 1);
        EXPECT_EQ(traceField(run, n, "fireTick"), tap) << "tap " << tap;
        EXPECT_EQ(traceField(run, n + 2, "fireTick"), tap) << "a release keeps the count";
        EXPECT_EQ(run.frames[n + 2]["playerShots"][1][0], ready);
    }
    EXPECT_EQ(traceField(run, 29, "fireTick"), 0);
    EXPECT_EQ(run.frames[29]["playerShots"][1][0], flying);
    EXPECT_EQ(traceField(run, 29, "shotCursor"), 2);
    EXPECT_EQ(shotFrames(run), std::vector<size_t>{29});
}

TEST(SpaceKey, HeldLaunchesEveryTenthFrameThroughSlotsOneToTwenty) {
    ReplayRun run = playScenario("keys_fire_cycle.keys");
    ASSERT_EQ(run.frames.size(), 242u);
    ASSERT_EQ(traceField(run, 241, "gameMode"), playing) << "the game must last the whole script";
    EXPECT_EQ(shotFrames(run), everyNth(11, 10, 241));
    for (size_t n = 11; n <= 241; n += 10) {
        const int launched = static_cast<int>((n - 11) / 10 % 20) + 1;
        EXPECT_EQ(traceField(run, n, "shotCursor"), launched % 20 + 1) << "frame " << n;
        EXPECT_EQ(run.frames[n]["playerShots"][launched][0], flying) << "frame " << n;
        EXPECT_EQ(run.frames[n - 1]["playerShots"][launched][0], ready) << "frame " << n - 1;
    }
    for (const json& f : run.frames) EXPECT_EQ(f["playerShots"][0][0], ready) << "slot 0";
}

TEST(KeysOnTheTitleScreen, IgnoreSpaceTheSteeringKeysAndUp) {
    ReplayRun run = playScenario("keys_held_on_the_title.keys");
    ASSERT_EQ(run.frames.size(), 41u);
    for (size_t n = 1; n <= 40; ++n) {
        const json& f = run.frames[n];
        EXPECT_EQ(f["gameMode"], title);
        EXPECT_EQ(f["fireTick"], 0) << "frame " << n;
        EXPECT_EQ(f["stepTick"], 0) << "frame " << n;
        EXPECT_EQ(f["shotCursor"], 1);
        EXPECT_EQ(f["glideDir"], right);
        EXPECT_EQ(f["shipFrame"], 1);
        EXPECT_EQ(f["shipOffsetY"], 0);
        EXPECT_EQ(f["scrollY"], 0);
        EXPECT_TRUE(f["sounds"].empty());
        for (const json& shot : f["playerShots"]) EXPECT_EQ(shot[0], ready);
    }
}

TEST(DownKey, ActsOnTheTitleScreenUntilTheResetAndStopsTheShipNearTheBottom) {
    ReplayRun run = playScenario("keys_down_on_the_title.keys");
    ASSERT_EQ(run.frames.size(), 122u);
    EXPECT_EQ(traceField(run, 1, "shipOffsetY"), 4);
    EXPECT_EQ(traceField(run, 100, "shipOffsetY"), 400) << "nothing on the title screen stops it";
    EXPECT_EQ(traceField(run, 100, "gameMode"), title);
    EXPECT_EQ(traceField(run, 101, "shipOffsetY"), 0) << "S resets it";
    // In the game the ship rests at y 231 and sinks 4 a frame until its y is 290 or more.
    std::vector<json> shipY;
    for (int y = 231; y <= 291; y += 4) shipY.push_back(y);
    shipY.push_back(291);
    shipY.push_back(291);
    EXPECT_TRUE(fieldRunsThrough(run, "shipY", 102, shipY));
    EXPECT_EQ(traceField(run, 121, "shipOffsetY"), 60);
}
