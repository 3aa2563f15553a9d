// input.h -- what the player did since the last frame: the game's keys, read as events, and the
// actions about the window and the watching
#pragma once

#include <cstdint>

#include "config/key_bindings.h"
#include "config/pad.h"

// The actions of the window: the player's keys (config/key_bindings.h's Action) and these.
constexpr int ActCloseWindow = actionCount;      // the window's close button
constexpr int ActFocusLost = actionCount + 1;   // another window took the keyboard

// One frame's input. A key that went down and up since the last frame still holds its game
// key in this frame, and every press of an action is there, in order.
struct FrameInput {
    static constexpr int most = 32;
    uint32_t gameKeys = 0;  // GameKey bits held (or tapped) in this frame
    int actions[most];      // window actions asked, in order
    int actionCount = 0;
    int keys[most];         // the keyboard keys (Allegro's KEY_) that went down, in order
    int keyCount = 0;
};

// Called by main before start-up: the player's keys and pad buttons.
void useControls(const KeyBindings& keys, const PadChoice& pad);

// Called once a frame (and once a tick while paused or watching): everything since the last call.
FrameInput takeInput();

// Forgets the keys tapped so far: what was tapped while paused never reaches the game.
void forgetTaps();
