// screenshot.h -- F12: the window's picture saved as a PNG in the player's pictures folder
#pragma once

#include <allegro.h>

// Called by the window platform between frames after F12: FRAME (8-bit, the frame's size)
// through PALETTE (the library's 6-bit colours), every pixel a SCALE x SCALE block, written
// to a new driftwing-YYYYMMDD-HHMMSS.png (-2, -3 ... when that name is taken) in
// screenshotFolder() (platform/options.h), made as needed. One line on standard output
// names the file; otherwise one line on standard error says why not, and no file is left.
// The game goes on.
void saveScreenshot(BITMAP* frame, const RGB* palette, int scale);
