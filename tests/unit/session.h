// session.h -- the game's own start-up on the null platform, inside the test binary
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

// Releases whatever the previous session loaded, zero-fills the game state and runs
// start-up from the backBuffer on, exactly as the game does. Returns its exit code.
int startFreshSession();

// Runs frames holding the given keys (GameKey bits); true when one reported quit.
bool runFrames(int frames, uint32_t heldKeys = 0);

// Heap blocks allocated and not yet freed, by anyone in the process (the library too).
long liveAllocations();
long allocationsSoFar();

// A fresh session before every test.
class Session : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(startFreshSession(), 0); }
};
