// window.h -- the desktop's platform: a window at a whole scale or fullscreen, the keyboard,
// a pad, the sound card and the clock (X11 on Linux, DirectX on Windows)
//
// Only the game's program links it (driftwing_window): the replay runner, the tests and the
// fuzzers run on the headless platform and know no window.
#pragma once

#include "platform/platform.h"

extern const Platform windowPlatform;

// The window's sounds (window_sound.cpp), for the table.
void windowPlaySample(SAMPLE* sample, int volume, int pan, int frequency, bool loop);
void windowSetLoudness(int music, int effects);
void windowHoldMusic(bool held);
