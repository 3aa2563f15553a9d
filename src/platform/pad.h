// pad.h -- a gamepad's first stick and its buttons, read as the game's keys
#pragma once

#include <cstdint>
#include <string>

constexpr int padButtonCount = 32;  // the most buttons the library reports on a pad

// What the pad's buttons do, numbered from 1 as pads print them, and which device is the
// pad: the [pad] section of the settings file.
struct PadChoice {
    int fire = 1;        // Space
    int start = 2;       // S: a game from the title
    int pause = 8;       // P: Start on most pads
    std::string device;  // Linux: the joystick device to read; empty: the first one found
};

// The pad in one frame, as the joystick driver last read it.
struct PadState {
    bool left = false, right = false, up = false, down = false;  // the first stick or D-pad
    uint32_t buttons = 0;                                        // bit n: button n + 1 is down
};

// Called by the window platform's pollKeys: the game keys (GameKey bits) the pad holds.
uint32_t padKeys(const PadState& pad, const PadChoice& choice);

// Called by the window platform's pollKeys: whether the pause button went down between
// the frame that read BEFORE and this one.
bool padPausePressed(const PadState& before, const PadState& now, const PadChoice& choice);
