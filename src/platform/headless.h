// headless.h -- the null platform: memory bitmaps only, no window, no keyboard, no sound card
//
// driftwing-replay, the video maker and the tests run the game's own start-up and frames
// on it; the keys come from a script, the sounds go to whoever listens to the spine.
#pragma once

#include "platform/platform.h"

extern const Platform headlessPlatform;
