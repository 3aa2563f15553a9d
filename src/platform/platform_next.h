// platform.h -- the machine under the game: a window (or none, or a browser page), its pace,
// the keyboard and pad, the sound card. One table a machine; it knows nothing of the game.
//
// The platform includes nothing of the game's folders, the spine, the recordings or the
// configuration; it may include system/ (files, signals) and the library.
#pragma once

#include <allegro.h>

#include <cstdint>

// An entry every platform must fill: a table that leaves one out does not compile.
template <typename Function>
struct Entry {
    Function* call;
    constexpr Entry(Function* function) : call(function) {}
};

// What the spine asks the screen to be at start-up.
struct ScreenRequest {
    int frameWidth = 320, frameHeight = 300;  // the game's frame
    int bandRows = 15;       // a line's height, for the band below the frame in fullscreen
    int scale = 0;           // each frame pixel as scale x scale; 0: the largest that fits
    bool fullscreen = false;
};

// What the screen is now.
struct ScreenNow {
    int scale = 1;
    bool fullscreen = false;
    bool band = false;  // there is room for a band of bandRows below the frame
};

// One thing the player did, oldest first.
struct InputEvent {
    enum Kind : uint8_t { KeyDown, KeyUp, Close, FocusLost };
    Kind kind;
    bool alt;      // Alt was held (KeyDown)
    uint16_t key;  // Allegro's KEY_ number (KeyDown, KeyUp)
};

// A pad's first stick (or D-pad) and its buttons as last read.
constexpr int padButtonCount = 32;
struct PadState {
    bool left = false, right = false, up = false, down = false;
    uint32_t buttons = 0;  // bit n: button n + 1 is down
};

struct Platform {
    // Library, window, keyboard, pad, sound. False when no window can be had, after one line
    // on standard error saying why.
    Entry<bool(const ScreenRequest&)> open;
    // Returns at the next frame's deadline: 60 frames a second by a monotonic clock.
    Entry<void()> pace;
    // The 256 colours (Allegro's 6-bit RGB) the frame's pixels index.
    Entry<void(const RGB*)> showPalette;
    // Shows the finished 8-bit frame; BAND (frameWidth x bandRows, 8-bit) below it when the
    // screen has room for a band, else null (the band black).
    Entry<void(BITMAP* frame, BITMAP* band)> present;
    // Up to ROOM events since the last call, oldest first; returns how many. A key that went
    // down and up since the last call gives both events.
    Entry<int(InputEvent* events, int room)> readInput;
    Entry<PadState()> readPad;
    // Starts a sound: volume 0..255, pan 0 (left)..255, frequency 1000 = the sample's own
    // rate; a looping sound is the music (held by holdMusic).
    Entry<void(SAMPLE* sample, int volume, int pan, int frequency, bool loop)> playSample;
    // The player's loudness, 0..100 each, for the music and for the other sounds: what plays
    // now takes it at once.
    Entry<void(int music, int effects)> setLoudness;
    Entry<void(bool held)> holdMusic;
    // Into fullscreen or back to the window; false when the display refused (as it was).
    Entry<bool(bool fullscreen)> setFullscreen;
    Entry<ScreenNow()> screen;
    // Back to text mode, before a start-up failure's message.
    Entry<void()> leave;
};
