// frame_loop_test.cpp -- thousands of frames of play: nothing allocated, nothing kept,
// and the same game as ever
#include <allegro.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "spine/frame.h"
#include "state/assets.h"
#include "state/fnv.h"
#include "state/game_state.h"
#include "state/keys.h"
#include "unit/session.h"

namespace fs = std::filesystem;

namespace {
// Keys held in a frame: a cycle of steering, climbing and firing, with S now and then
// (a new game whenever the title shows) and idle frames between.
uint32_t keysOfFrame(int frame) {
    static const uint32_t cycle[] = {
        HeldS | HeldSpace,
        HeldSpace | HeldLeft,
        HeldSpace | HeldRight | HeldUp,
        HeldSpace | HeldDown,
        0,
        HeldSpace | HeldLeft | HeldDown,
        HeldRight,
        HeldS,
        HeldSpace | HeldUp,
        HeldLeft | HeldRight,
        HeldSpace,
        0,
    };
    return cycle[frame / 23 % (sizeof cycle / sizeof cycle[0])];
}

void digest(uint64_t& h, const void* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i)
        h = (h ^ static_cast<const uint8_t*>(bytes)[i]) * fnvPrime;
}
}  // namespace

// Every frame's game state and picture go into one digest: a change to any rule or
// drawing that this play reaches changes it. After a deliberate change to the game or
// its art, the failure message gives the new digest to write here.
TEST_F(Session, TenThousandFramesOfPlayAllocateNothingAndPlayTheSameGame) {
    int games = 0, firstAllocatingFrame = 0;
    uint64_t h = stateDigestBasis;
    for (int frame = 1; frame <= 10000; ++frame) {
        const int32_t mode = game.gameMode;
        const long before = allocationsSoFar();
        ASSERT_FALSE(runFrame(keysOfFrame(frame)));
        if (!firstAllocatingFrame && allocationsSoFar() != before) firstAllocatingFrame = frame;
        games += mode == Title && game.gameMode == Playing;
        digest(h, &game, sizeof game);
        if (frame % 4 == 0) digest(h, backBuffer->line[0], 320 * 300);
    }
    EXPECT_EQ(firstAllocatingFrame, 0) << "the first frame that allocated";
    EXPECT_GE(games, 20);
    EXPECT_EQ(h, 0x1a4a7d2e472a8221ull) << std::hex << "digest 0x" << h;
}

// Start-up and shutdown give back every block they take, and so does a start-up
// that stops at a missing picture after loading the two before it.
TEST_F(Session, ShutdownAndAFailedStartUpKeepNothing) {
    shutdownSession();
    ASSERT_EQ(startFreshSession(), 0);
    runFrames(100, HeldS | HeldSpace);
    shutdownSession();
    const long live = liveAllocations();
    ASSERT_EQ(startFreshSession(), 0);
    runFrames(100, HeldS | HeldSpace);
    shutdownSession();
    EXPECT_EQ(liveAllocations(), live) << "blocks kept by a session";

    const fs::path home = fs::current_path(),
                   scratch = fs::temp_directory_path() / ("driftwing-" + std::to_string(getpid()));
    fs::create_directories(scratch / "data");
    for (const char* f : {"main.bmp", "back.bmp"})
        fs::copy(home / "data" / f, scratch / "data" / f);
    fs::current_path(scratch);
    testing::internal::CaptureStderr();
    const long beforeFailure = liveAllocations();
    EXPECT_EQ(startFreshSession(), 1);
    EXPECT_EQ(liveAllocations(), beforeFailure) << "blocks kept by a failed start-up";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "driftwing: cannot load data/main2.bmp\n");
    fs::current_path(home);
    fs::remove_all(scratch);
    EXPECT_EQ(startFreshSession(), 0);
}
