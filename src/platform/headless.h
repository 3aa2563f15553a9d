// headless.h -- the null platform: memory bitmaps only, keys and sounds under a caller's control
//
// driftwing-replay and the tests run the game's own start-up and frames on it.
#pragma once

#include <cstdint>

#include "state/keys.h"

// The keys (GameKey bits) that the next keyboard poll reports down.
void setHeadlessKeys(uint32_t heldMask);

// Receives every sample the game starts, instead of a sound card.
using SoundRecorder = void (*)(const char* cue, int volume, int pan, int frequency, int loop);
void setSoundRecorder(SoundRecorder recorder);
