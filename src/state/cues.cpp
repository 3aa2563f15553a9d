// cues.cpp -- the sound cue table: music at centre, shots well left, blasts a little right
#include "state/cues.h"

#include "platform/platform.h"
#include "state/assets.h"

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

void playCue(Cue cue) {
    const CueSound& c = cueSound(cue);
    platformPlaySample(c.name, *c.sample, c.volume, c.pan, c.frequency, c.loop);
}
