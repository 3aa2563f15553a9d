// headless.h -- the null platform: memory bitmaps only, keys and sounds under a caller's control
//
// driftwing-replay and the tests run the game's own start-up and frames on it.
#pragma once

#include <cstdint>

// Keys a script can hold, as bits of a mask.
enum HeadlessKey : uint32_t {
    HeldEsc = 1u << 0,
    HeldLeft = 1u << 1,
    HeldRight = 1u << 2,
    HeldUp = 1u << 3,
    HeldDown = 1u << 4,
    HeldSpace = 1u << 5,
    HeldS = 1u << 6,
};

// The keys that the next keyboard poll reports down; every other key is up.
void setHeadlessKeys(uint32_t heldMask);

// Receives every sample the game starts, instead of a sound card.
using SoundRecorder = void (*)(const char* cue, int volume, int pan, int frequency, int loop);
void setSoundRecorder(SoundRecorder recorder);
