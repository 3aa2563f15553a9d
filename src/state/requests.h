// requests.h -- what a frame asks of the machine: the sound cues it starts and a palette to show
//
// The game never calls the machine. A frame notes here what it wants heard or shown, and the
// spine passes it on to the platform (and to whoever listens: a trace, a video) after each
// step of the frame, in the order the game asked.
#pragma once

#include <allegro.h>

#include "state/cues.h"

struct FrameRequests {
    static constexpr int mostCues = 64;  // a frame starts at most 22: a shot and 21 blasts
    Cue cues[mostCues];
    int cueCount = 0;
    const RGB* palette = nullptr;  // a palette to show from now on, or null
};

// Filled by playCue and loadAssets; emptied by the spine.
extern FrameRequests frameRequests;
