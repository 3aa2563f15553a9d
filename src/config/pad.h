// pad.h -- a gamepad's first stick and its buttons, read as the game's keys
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// What the pad's buttons do, numbered from 1 as pads print them, and which device is the
// pad: the [pad] section of the settings file.
struct PadChoice {
    int fire = 1;        // Space
    int start = 2;       // S: a game from the title
    int pause = 8;       // P: Start on most pads
    std::string device;  // Linux: the joystick device to read; empty: the first one found
};

// Called by the spine's input once a frame: the game keys (GameKey bits) the pad holds.
uint32_t padKeys(const PadState& pad, const PadChoice& choice);

// Called by the spine's input once a frame: whether the pause button went down between
// the frame that read BEFORE and this one.
bool padPausePressed(const PadState& before, const PadState& now, const PadChoice& choice);
