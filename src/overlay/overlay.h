// overlay.h -- what is drawn over the game's frame and never into it: the PAUSED box, the line
// after a change of volume, and the line over a watched recording
//
// Each is drawn in the frame's own 8-bit pixels, so that the window, the browser and a
// screenshot show it alike; none of it is ever in backBuffer, the game state or a digest.
// The overlay includes nothing of the game, the spine or the machine.
#pragma once

#include <allegro.h>

#include <cstdint>

constexpr int lineRows = 15;  // a line's height, in the frame's pixels

// What the line over a watched recording says: where it is of how long, how fast.
struct PlaybackLine {
    int64_t frame = 0;      // the picture shown, 1 to frames
    int64_t frames = 0;     // the recording's length
    int speedQuarters = 4;  // frames a tick, in quarters: 1 (x1/4) to 32 (x8)
    bool paused = false;
};

// The time played of the whole on the left, the speed on the right, a bar of the whole
// length under them, into STRIP (the frame's width x lineRows).
void drawPlaybackLine(BITMAP* strip, const PlaybackLine& line);

// The music's and the effects' loudness (0..100), or MUTED, and a bar of the louder.
void drawVolumeLine(BITMAP* strip, int music, int effects, bool muted);

// The black box PAUSED stands in, in the middle of PICTURE.
void drawPauseBox(BITMAP* picture);

// FRAME with STRIP over its bottom rows, into OUT (the frame's size).
void putLineOver(BITMAP* frame, BITMAP* strip, BITMAP* out);
