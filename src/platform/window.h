// window.h -- the real platform: a desktop window at a whole scale or fullscreen, pause, the
// keyboard, the sound card and the clock
//
// Only the game's main includes this and only the game links it (driftwing_window): the
// replay runner, the tests and the fuzzers run on the headless platform and know no window.
#pragma once

#include "platform/platform.h"

// The window platform; what it opens follows the command line given to useCommandLine
// (platform/options.h) and the settings file.
extern const Platform windowPlatform;
