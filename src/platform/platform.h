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

// The controls of a recording being watched (driftwing --play), tapped since the last look.
enum PlaybackControl : uint32_t {
    PlayOrPause = 1 << 0,   // P or Space
    StepForward = 1 << 1,   // . while paused
    StepBack = 1 << 2,      // , while paused
    Faster = 1 << 3,        // +
    Slower = 1 << 4,        // -
    JumpBack = 1 << 5,      // Left: ten seconds back
    JumpForward = 1 << 6,   // Right: ten seconds on
    ToFirstFrame = 1 << 7,  // Home
    ToLastFrame = 1 << 8,   // End
};

// What the line over a watched recording says: where it is of how long, how fast.
struct PlaybackLine {
    int64_t frame = 0;   // the picture shown, 1 to frames
    int64_t frames = 0;  // the recording's length
    int speedQuarters = 4;  // frames a tick, in quarters: 1 (x1/4) to 32 (x8)
    bool paused = false;
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
    // A watched recording: the controls tapped since the last call (PlaybackControl bits),
    // the line shown over the window (null: none), and the music held (true) or let play.
    // None of it is in the game's frame.
    Entry<uint32_t()> playbackControls;
    Entry<void(const PlaybackLine*)> showPlaybackLine;
    Entry<void(bool)> holdMusic;
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
uint32_t platformPlaybackControls();
void platformShowPlaybackLine(const PlaybackLine* line);
void platformHoldMusic(bool held);

// Called by main before start-up: what to save when the display goes away under the game
// (the X server killed, its connection dropped). The window platform calls it from
// whichever thread notices, says "driftwing: lost the display" and ends the process with
// exit code 1.
void platformOnDisplayLost(void (*save)());
// The function given to platformOnDisplayLost, or null.
void (*platformDisplayLostSave())();
