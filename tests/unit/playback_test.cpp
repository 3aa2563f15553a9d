// playback_test.cpp -- a recording watched with seeks, steps back and jumps: every picture
// the one the game drew at that frame, nothing allocated, and a changed game caught on the way
#include "recordings/playback.h"

#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "recordings/key_script.h"
#include "spine/frame.h"
#include "spine/machine.h"
#include "state/assets.h"
#include "state/fnv.h"
#include "state/game_state.h"
#include "state/keys.h"
#include "unit/session.h"

namespace {
constexpr int64_t length = 2000;

// A game with shots, blasts, a lost ship and a new game: S, steering and Space in turns.
uint32_t keysOf(int64_t frame) {
    static const uint32_t cycle[] = {HeldS | HeldSpace, HeldSpace | HeldLeft, HeldRight | HeldUp,
                                     HeldSpace | HeldDown, 0, HeldSpace};
    return cycle[frame / 37 % 6];
}

uint64_t pictureHash() {
    uint64_t h = stateDigestBasis;
    for (int y = 0; y < backBuffer->h; ++y)
        for (int x = 0; x < backBuffer->w; ++x) h = (h ^ backBuffer->line[y][x]) * fnvPrime;
    return h;
}

// The recording as a file, and each frame's picture as the game drew it.
struct Recorded {
    std::string path;
    std::vector<uint64_t> pictures;  // [N]: picture N, drawn after N - 1 frames
};

Recorded record(int64_t differentFrame = -1) {
    Recorded r;
    r.path = "/tmp/driftwing-playback-" + std::to_string(getpid()) + ".keys";
    r.pictures.push_back(0);
    std::string text(recordingHeader);
    EXPECT_EQ(startFreshSession(), 0);
    for (int64_t frame = 1; frame <= length; ++frame) {
        runFrame(keysOf(frame));
        r.pictures.push_back(pictureHash());
        char names[32];
        writeKeyNames(keysOf(frame), names);
        text += "1 " + std::string(names) + "\n";
        if (frame % 500 == 0 || frame == length) {
            char note[80];
            std::snprintf(note, sizeof note, "# %sframe %lld state %016llx\n",
                          frame == length ? "end " : "", static_cast<long long>(frame),
                          static_cast<unsigned long long>(gameStateDigest() +
                                                          (frame == differentFrame)));
            text += note;
        }
    }
    std::ofstream(r.path) << text;
    return r;
}

void watch(const Recorded& r, const Platform& machineToUse = headlessPlatform) {
    std::string why;
    ASSERT_EQ(startFreshSession(), 0);
    ASSERT_TRUE(loadPlayback(r.path, why)) << why;
    useMachine(machineToUse);
    ASSERT_TRUE(startPlayback());
}

// A watcher at the keyboard, one tick of the loop at a time: the controls tapped in each
// tick, then Escape; and what each tick ended with.
struct Tick {
    int64_t frame;
    int speedQuarters;
    bool paused, musicHeld;
    int effects;  // shots and blasts started so far
};
struct Watcher {
    std::vector<int> asked;  // a key a tick (0: none), then Escape
    size_t at = 0;
    bool musicHeld = false;
    int effects = 0;
    std::vector<Tick> ticks;
} watcher;

const Platform scripted = {
    headlessPlatform.open,
    headlessPlatform.pace,
    headlessPlatform.showPalette,
    +[](BITMAP*, BITMAP*) {
        if (watcher.at == 0) return;  // the first picture, before any tick
        watcher.ticks.push_back({playbackFrame(), playbackLine().speedQuarters,
                                 playbackLine().paused, watcher.musicHeld, watcher.effects});
    },
    +[](InputEvent* events, int) {
        const int key = watcher.at < watcher.asked.size() ? watcher.asked[watcher.at] : KEY_ESC;
        ++watcher.at;
        events[0] = {InputEvent::KeyDown, false, static_cast<uint16_t>(key)};
        events[1] = {InputEvent::KeyUp, false, static_cast<uint16_t>(key)};
        return key ? 2 : 0;
    },
    headlessPlatform.readPad,
    +[](SAMPLE*, int, int, int, bool loop) { watcher.effects += !loop; },
    headlessPlatform.setLoudness,
    +[](bool held) { watcher.musicHeld = held; },
    headlessPlatform.setFullscreen,
    headlessPlatform.screenNow,
    headlessPlatform.leave,
};

std::string said;  // by the last verdict, on standard error

int verdict() {
    stopPlayback();
    useMachine(headlessPlatform);
    testing::internal::CaptureStderr();
    const int v = finishPlayback();
    said = testing::internal::GetCapturedStderr();
    return v;
}
}  // namespace

// Seeks forwards and backwards, across copies and within one, to both ends and past them;
// after each the picture is the game's at that frame, and playing on from there is too.
TEST(Playback, EverySeekShowsTheFrameTheGameDrewThere) {
    const Recorded r = record();
    watch(r);
    ASSERT_EQ(playbackFrame(), 1);
    EXPECT_EQ(pictureHash(), r.pictures[1]);
    struct Row {
        int64_t target, shown;
    };
    const Row rows[] = {
        {1200, 1200}, {301, 301}, {300, 300}, {299, 299}, {1999, 1999}, {2000, 2000},
        {1, 1},       {601, 601}, {600, 600}, {5000, 2000}, {-40, 1},    {1437, 1437},
    };
    const long before = allocationsSoFar();
    for (const Row& row : rows) {
        ASSERT_TRUE(seekPlayback(row.target)) << row.target;
        EXPECT_EQ(playbackFrame(), row.shown);
        EXPECT_EQ(pictureHash(), r.pictures[row.shown]) << "sought " << row.target;
        if (row.shown < length) {
            ASSERT_TRUE(advancePlayback(true));
            EXPECT_EQ(pictureHash(), r.pictures[row.shown + 1]) << "on from " << row.target;
        } else {
            EXPECT_FALSE(advancePlayback(true)) << "the last frame ends it";
        }
    }
    EXPECT_EQ(allocationsSoFar(), before) << "a seek allocates nothing";
    EXPECT_EQ(verdict(), 0);
    std::remove(r.path.c_str());
}

// A recording whose state at frame 1000 differs: play that passes it, by playing on or by
// seeking past it, ends there and says so; before it the watcher can go anywhere.
TEST(Playback, AChangedGameEndsWhenPlayPassesTheFrame) {
    const Recorded r = record(1000);
    struct Row {
        const char* what;
        int64_t seek;
        int frames;  // played on after the seek
        bool ends;
    };
    const Row rows[] = {
        {"played up to it", 990, 9, false},
        {"played through it", 990, 11, true},
        {"sought past it", 1500, 0, true},
        {"sought to its picture", 1000, 0, false},
        {"sought just past it", 1001, 0, true},
    };
    for (const Row& row : rows) {
        watch(r);
        bool going = seekPlayback(row.seek);
        for (int i = 0; going && i < row.frames; ++i) going = advancePlayback(false);
        EXPECT_EQ(!going, row.ends) << row.what;
        EXPECT_EQ(verdict(), row.ends ? 1 : 0) << row.what;
        EXPECT_EQ(said.find("played out differently: frame 1000 ") != std::string::npos, row.ends) << said;
    }
    std::remove(r.path.c_str());
}

// The watcher's loop: + and - step through x1/4 to x8 and stop at both ends, each speed
// plays its share of frames a tick, the music only at x1, shots and blasts up to x2; a
// pause stops the game. Each row's controls come one a tick, then QUIET ticks without.
TEST(Playback, SpeedsAndPauseSetHowFastTheGameGoesAndWhatIsHeard) {
    const Recorded r = record();
    constexpr int slower = KEY_MINUS, faster = KEY_EQUALS;
    struct Row {
        const char* what;
        std::vector<int> asked;
        int quiet;
        int speedQuarters, frames;  // the line's speed at the end; frames played while quiet
        bool paused, musicHeld, effects;
    };
    const Row rows[] = {
        {"x1", {}, 24, 4, 24, false, false, true},
        {"x1/2", {slower}, 48, 2, 24, false, true, true},
        {"x1/4, the slowest", {slower, slower, slower}, 96, 1, 24, false, true, true},
        {"x2", {faster}, 12, 8, 24, false, true, true},
        {"x4: no shots or blasts", {faster, faster}, 6, 16, 24, false, true, false},
        {"x8, the fastest", {faster, faster, faster, faster, faster}, 3, 32, 24, false, true,
         false},
        {"paused", {KEY_P}, 24, 4, 0, true, true, false},
        {"paused and on", {KEY_P, KEY_SPACE}, 24, 4, 24, false, false, true},
    };
    for (const Row& row : rows) {
        watcher = Watcher{};
        watcher.asked = row.asked;
        watcher.asked.resize(row.asked.size() + row.quiet, 0);
        watch(r, scripted);
        runPlaybackLoop();
        ASSERT_EQ(watcher.ticks.size(), watcher.asked.size()) << row.what;
        const Tick& end = watcher.ticks.back();
        const Tick from = row.asked.empty() ? Tick{1, 4, false, false, 0}
                                            : watcher.ticks[row.asked.size() - 1];
        EXPECT_EQ(end.speedQuarters, row.speedQuarters) << row.what;
        EXPECT_EQ(end.frame - from.frame, row.frames) << row.what;
        EXPECT_EQ(end.paused, row.paused) << row.what;
        EXPECT_EQ(end.musicHeld, row.musicHeld) << row.what;
        EXPECT_EQ(end.effects > from.effects, row.effects) << row.what;
        EXPECT_EQ(verdict(), 0) << row.what;
    }
    std::remove(r.path.c_str());
}

// Each control tapped and left seven ticks, time for the pass to reach a jump (the first
// waits for it, and play goes on once it is shown); the frame then shown. Comma and period
// step only while paused, never past either end; a jump stops at either end, and only one
// to the end pauses.
TEST(Playback, EachControlShowsTheFrameItSays) {
    const Recorded r = record();
    struct Step {
        int key;
        int64_t frame;
    };
    const Step steps[] = {
        {KEY_RIGHT, 608},  {KEY_P, 608},      {KEY_STOP, 609},   {KEY_COMMA, 608},
        {KEY_HOME, 1},     {KEY_COMMA, 1},    {KEY_END, 2000},   {KEY_STOP, 2000},
        {KEY_COMMA, 1999}, {KEY_RIGHT, 2000}, {KEY_COMMA, 1999}, {KEY_LEFT, 1399},
        {KEY_HOME, 1},     {KEY_STOP, 2},     {KEY_LEFT, 1},     {KEY_RIGHT, 601},
        {KEY_SPACE, 609},  {KEY_STOP, 617},   {KEY_COMMA, 625},  {KEY_HOME, 9},
        {KEY_END, 2000},
    };
    constexpr size_t ticksAStep = 8;
    watcher = Watcher{};
    for (const Step& step : steps) {
        watcher.asked.push_back(step.key);
        watcher.asked.resize(watcher.asked.size() + ticksAStep - 1, 0);
    }
    watch(r, scripted);
    runPlaybackLoop();
    ASSERT_EQ(watcher.ticks.size(), watcher.asked.size());
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(watcher.ticks[(i + 1) * ticksAStep - 1].frame, steps[i].frame) << "step " << i;
    EXPECT_EQ(verdict(), 0);
    std::remove(r.path.c_str());
}
