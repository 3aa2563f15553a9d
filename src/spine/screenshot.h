// screenshot.h -- F12: the picture as the window shows it, saved as a PNG
#pragma once

#include <allegro.h>

#include <cstddef>
#include <string>

// Where a screenshot's PNG goes: a file in the player's pictures folder (the default), a
// download in the browser. NAME is driftwing-YYYYMMDD-HHMMSS.png in local time.
using ScreenshotKeeper = void (*)(const std::string& name, const unsigned char* png, size_t size);

// Called by a program's main to keep screenshots elsewhere than in the pictures folder.
void keepScreenshotsWith(ScreenshotKeeper keeper);

// Called between frames after F12: FRAME (8-bit, the frame's size) through PALETTE, every
// pixel a SCALE x SCALE block, encoded and kept. In the pictures folder the file is new
// (-2, -3 ... when the name is taken), made whole before it takes its name; one line on
// standard output names it, or one line on standard error says why not and no file is
// left. The game goes on.
void saveScreenshot(BITMAP* frame, const RGB* palette, int scale);
