// cues.cpp -- the sound cue table: music at centre, shots well left, blasts a little right
#include "state/cues.h"

#include "state/assets.h"
#include "state/requests.h"

namespace {
const CueSound cueTable[] = {
    {"music", &musicLoop, 255, 127, 1000, 1},
    {"shot", &shotSound, 255, 30, 1000, 0},
    {"blast", &blastSound, 255, 150, 1000, 0},
};
}  // namespace

const CueSound& cueSound(Cue cue) {
    return cueTable[static_cast<int>(cue)];
}

FrameRequests frameRequests;

void playCue(Cue cue) {
    FrameRequests& r = frameRequests;
    if (r.cueCount < FrameRequests::mostCues) r.cues[r.cueCount++] = cue;
}
