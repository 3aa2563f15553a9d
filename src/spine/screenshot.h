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
// pixel a SCALE x SCALE block, encoded and kept. Only the copy of the picture is made
// here; the encoding and the file are done beside the frame loop (on Linux), one
// screenshot after the other in the order asked. In the pictures folder the file is new
// (-2, -3 ... when the name is taken), made whole before it takes its name; one line on
// standard output names it, or one line on standard error says why not and no file is
// left. The game goes on.
void saveScreenshot(BITMAP* frame, const RGB* palette, int scale);

// Called by main once the frame loop is over, before the program ends: every screenshot
// asked for is kept (or said to have failed) before it returns; after a quit signal only
// the one being written, and one line says how many were not.
void finishScreenshots();
