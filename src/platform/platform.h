// platform.h -- the thin layer between the game and the machine: window, pacing, keys, sound
//
// Only the platform files touch the real screen, the keyboard device, the clock
// and the sound device. The game calls these functions; which platform answers
// them is chosen once, before start-up: the headless one until main opens the window.
// The platform may include state/ for the frame's size and the key names, never the
// game's rules (world/, present/) nor the spine (shell/); the window's own header,
// platform/window.h, is for the game's main alone.
#pragma once

#include <allegro.h>

#include <cstdint>

// An entry every platform must fill: a table that leaves one out does not compile.
template <typename Function>
struct Entry {
    Function* call;
    constexpr Entry(Function* function) : call(function) {}
};

struct Platform {
    // Start-up steps up to the window. False when no window can be had (a one-line
    // reason has been printed on standard error).
    Entry<bool()> open;
    Entry<void()> waitRetrace;     // paces the loop at 60 frames a second
    Entry<void(BITMAP*)> present;  // shows the finished 320 x 300 frame
    Entry<uint32_t()> pollKeys;    // the game keys (GameKey bits) down in this frame
    // Starts a sound: the cue's name, the sample, volume, pan, frequency, loop.
    Entry<void(const char*, SAMPLE*, int, int, int, int)> playSample;
    Entry<void(const RGB*)> showPalette;  // the 256 colours the frame's pixels index
    // Called by the game's loop after each frame, with whether a game is in progress:
    // the keys that are about the window (fullscreen, pause) and the close button.
    // Returns true when the player has asked to quit.
    Entry<bool(bool)> betweenFrames;
    Entry<void()> leaveGraphics;  // back to text mode before a start-up failure message
};

// No window, no keyboard, no sound: see shell/headless.h.
extern const Platform headlessPlatform;

// Chooses the platform; called once, before startUp.
void usePlatform(const Platform& platform);

bool platformOpen();
void platformWaitRetrace();
void platformPresent(BITMAP* frame);
uint32_t platformPollKeys();
void platformPlaySample(const char* cue, SAMPLE* sample, int volume, int pan, int frequency,
                        int loop);
void platformShowPalette(const RGB* palette);
bool platformBetweenFrames(bool gameInProgress);
void platformLeaveGraphics();

// Called by main before start-up: what to save when the display goes away under the game
// (the X server killed, its connection dropped). The window platform calls it from
// whichever thread notices, says "driftwing: lost the display" and ends the process with
// exit code 1.
void platformOnDisplayLost(void (*save)());
// The function given to platformOnDisplayLost, or null.
void (*platformDisplayLostSave())();
