// rules_test.cpp -- boundaries that play rarely lands on exactly: the hit and contact
// boxes, level items, the score line's other digits, the pacer's choice of wait, taps
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/headless.h"
#include "platform/pacer.h"
#include "spine/input.h"
#include "spine/machine.h"
#include "state/keys.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "state/level.h"
#include "unit/session.h"
#include "world/world.h"

// A diver standing at (100, 100) in its first step, and a flying shot or the ship
// placed (dx, dy) from it: only a corner strictly inside the box counts.
TEST_F(Session, HitAndContactNeedACornerStrictlyInsideTheBox) {
    struct Row {
        int dx, dy;
        bool hit, touch;
    };
    const Row rows[] = {{0, 1, false, false},  {1, 0, false, false},  {1, 1, true, true},
                        {21, 21, true, true},  {22, 1, false, true},  {1, 22, false, true},
                        {41, 41, false, true}, {42, 1, false, false}, {1, 42, false, false}};
    for (const Row& r : rows) {
        game.gameMode = Playing;
        game.scrollY = 0;
        game.divers[0] = {};
        game.divers[0].state = Alive;
        game.playerShots[1] = {Flying, 100 + r.dx, 100 + r.dy};
        game.shipX = 100 - r.dx;
        game.shipY = 100 - r.dy;
        updateDiver(0, 10, 10);
        EXPECT_EQ(game.divers[0].state == Destroyed, r.hit) << "shot at +" << r.dx << ",+" << r.dy;
        EXPECT_EQ(game.gameMode == Title, r.touch) << "ship at -" << r.dx << ",-" << r.dy;
    }
}

// A diver in the map's first or last column (1, 32) of a scanned row takes its step.
TEST_F(Session, TheWorldPassReachesBothEdgeColumns) {
    for (const int32_t column : {1, levelColumns}) {
        int32_t& cell = levelMap[game.topRow + 1][column];
        const int32_t kept = cell, before = (updateWorld(), game.divers[0].tick);
        cell = firstDiverCode;
        updateWorld();
        cell = kept;
        EXPECT_EQ(game.divers[0].tick, before + 1) << "column " << column;
    }
}

TEST(LevelItems, ReadLikeAtoiAndSaturate) {
    const std::pair<const char*, int32_t> rows[] = {{"", 0},
                                                    {"   12", 12},
                                                    {"12abc", 12},
                                                    {"abc", 0},
                                                    {"-7", -7},
                                                    {"+8", 8},
                                                    {"2147483647", INT_MAX},
                                                    {"99999999999", INT_MAX},
                                                    {"-2147483648", INT_MIN},
                                                    {"-99999999999", INT_MIN},
                                                    {" -0", 0},
                                                    {"+-3", 0}};
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(convertLevelItem(text, text + std::strlen(text)), value) << '"' << text << '"';
    }
    loadLevel(1);
    EXPECT_EQ(readLevelItem(), 0) << "past the last item";
}

// The score never changes in play, but the line shows whatever the counters hold.
TEST_F(Session, TheScoreLineShowsEachCounterInItsPlace) {
    for (int i = 0; i < 9; ++i) game.scoreDigits[i] = 9 - i;
    game.titleBlinkTick = 299;  // a blank frame of the blink: nothing beneath the line
    runFrames(1);
    std::set<std::string> cells;
    for (int i = 0; i < 9; ++i) {
        std::string cell;
        for (int y = 0; y < 8; ++y)
            for (int x = 56 + 10 * i; x < 64 + 10 * i; ++x)
                cell += char(getpixel(backBuffer, x, y));
        EXPECT_NE(cell.find(char(15)), std::string::npos) << "digit " << i << " is blank";
        cells.insert(cell);
    }
    EXPECT_EQ(cells.size(), 9u) << "nine different digits";
}

// A pacer on a clock of the test's own, over a display whose retrace wait changes.
namespace {
int64_t simulated = 0;
int64_t beat = 0;  // the display's retrace period; 0: a wait that does not wait
int waits = 0;
int64_t simulatedNow() { return simulated; }
void simulatedSleep(int64_t until) { simulated = std::max(simulated, until); }
// A display that now and then misses two retraces in a row when its beat is negative.
void simulatedRetrace() {
    const int64_t period = beat < 0 ? -beat : beat;
    if (period) simulated = (simulated / period + 1 + (beat < 0 && ++waits % 50 < 2)) * period;
}
}  // namespace

TEST(Pacer, LeavesARetraceWaitThatDriftsFrom60HzWithinASecondAndKeeps60) {
    // The later retrace period, whether the pacer keeps the wait, whether the run keeps 60
    // frames a second (a display that misses retraces slows the frames it misses).
    const std::tuple<int64_t, bool, bool> rows[] = {
        {6'944'444, false, true},  {0, false, true},          {27'000'000, false, true},
        {20'000'000, false, true}, {18'000'000, false, true}, {16'666'667, true, true},
        {-16'666'667, true, false}};
    for (const auto& [later, kept, sixty] : rows) {
        FramePacer pacer({simulatedNow, simulatedSleep});
        simulated = 1'000'000'000;
        beat = 16'666'667;
        pacer.useRetraceWait(simulatedRetrace);
        const int64_t start = simulated;
        for (int frame = 1; frame <= 600; ++frame) {
            if (frame == 301) beat = later;
            pacer.wait();
            simulated += 2'000'000;  // the frame's own work
            if (frame == 300) {
                EXPECT_TRUE(pacer.usesRetrace()) << "a 60 Hz display";
            }
            if (frame == 360) {
                EXPECT_EQ(pacer.usesRetrace(), kept) << "a retrace every " << later << " ns";
            }
        }
        if (sixty) {
            EXPECT_NEAR(600 * 1e9 / (simulated - start), 60.0, 0.1) << "a retrace every " << later;
        }
    }
}

// A recording notes the state as one digest: a change to any one field must change it.
TEST(Recording, TheStateDigestCoversEveryField) {
    std::memset(&game, 0, sizeof game);
    std::set<uint64_t> digests{gameStateDigest()};
    int32_t* fields = reinterpret_cast<int32_t*>(&game);
    for (size_t i = 0; i < sizeof game / sizeof(int32_t); ++i) {
        fields[i] = 1;
        digests.insert(gameStateDigest());
        fields[i] = 0;
    }
    EXPECT_EQ(digests.size(), sizeof game / sizeof(int32_t) + 1);
}

// The machine's key events of one frame, and what the frame takes of them: a tap within a
// frame is down in it once, a key held stays down, a window action is asked once a press.
namespace {
std::vector<InputEvent> pending;
const Platform eventsOnly = {
    headlessPlatform.open,        headlessPlatform.pace,
    headlessPlatform.showPalette, headlessPlatform.present,
    +[](InputEvent* events, int room) {
        const int n = std::min<int>(room, static_cast<int>(pending.size()));
        std::copy(pending.begin(), pending.begin() + n, events);
        pending.erase(pending.begin(), pending.begin() + n);
        return n;
    },
    headlessPlatform.readPad,     headlessPlatform.playSample,
    headlessPlatform.setLoudness, headlessPlatform.holdMusic,
    headlessPlatform.setFullscreen, headlessPlatform.screenNow,
    headlessPlatform.leave,
};
InputEvent down(int key, bool alt = false) { return {InputEvent::KeyDown, alt, uint16_t(key)}; }
InputEvent up(int key) { return {InputEvent::KeyUp, false, uint16_t(key)}; }
}  // namespace

TEST(Input, ATapWithinAFrameIsDownOnceAndEveryPressAsksOnce) {
    struct Row {
        const char* what;
        std::vector<InputEvent> events;
        uint32_t keys, thenKeys;     // this frame's game keys, and the next frame's
        std::vector<int> actions;    // this frame's
    };
    const Row rows[] = {
        {"a tap", {down(KEY_SPACE), up(KEY_SPACE)}, HeldSpace, 0, {}},
        {"held", {down(KEY_LEFT)}, HeldLeft, HeldLeft, {}},
        {"let go", {up(KEY_LEFT)}, 0, 0, {}},
        {"two F12", {down(KEY_F12), up(KEY_F12), down(KEY_F12)}, 0, 0, {ActScreenshot, ActScreenshot}},
        {"Alt+Enter", {down(KEY_ENTER, true)}, 0, 0, {ActFullscreen}},
        {"Enter", {down(KEY_ENTER)}, 0, 0, {}},
        {"[ ] M P", {down(KEY_OPENBRACE), down(KEY_CLOSEBRACE), down(KEY_M), down(KEY_P)}, 0, 0,
         {ActQuieter, ActLouder, ActMute, ActPause}},
        {"the focus lost", {down(KEY_UP), {InputEvent::FocusLost}}, HeldUp, 0, {ActFocusLost}},
        {"the close button", {{InputEvent::Close}}, 0, 0, {ActCloseWindow}},
    };
    useMachine(eventsOnly);
    useControls(defaultKeyBindings(), PadChoice{});
    for (const Row& r : rows) {
        pending = r.events;
        const FrameInput in = takeInput();
        EXPECT_EQ(in.gameKeys, r.keys) << r.what;
        EXPECT_EQ(std::vector<int>(in.actions, in.actions + in.actionCount), r.actions) << r.what;
        EXPECT_EQ(takeInput().gameKeys, r.thenKeys) << r.what;
        for (int k = 0; k < KEY_MAX; ++k) pending.push_back(up(k));
        takeInput();
    }
    useMachine(headlessPlatform);
}
