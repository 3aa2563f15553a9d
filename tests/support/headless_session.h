// headless_session.h -- runs the game's own start-up on the null platform for the tests
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "state/game_state.h"

// One recorded play_sample call.
struct RecordedSound {
    std::string cue;
    int volume, pan, frequency, loop;
};

// Sounds started since the last startFreshSession() (or clearRecordedSounds()).
const std::vector<RecordedSound>& recordedSounds();
void clearRecordedSounds();

// Zero-fills the game state, releases whatever the previous session loaded and runs
// start-up from the backBuffer on, exactly as the game does. Returns its exit code.
int startFreshSession();

// Runs `frames` frames of the loop holding the given keys (HeadlessKey bits);
// stops early and returns true when a frame reports quit.
bool runFrames(int frames, uint32_t heldKeys = 0);

// Reads one pixel of the frame being drawn.
int backBufferPixel(int x, int y);

// Base fixture: a fresh session before every test.
class HeadlessGame : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(startFreshSession(), 0); }
};
