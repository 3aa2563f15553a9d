// cues.h -- the game's three sound cues and the one place their parameters live
#pragma once

#include <allegro.h>

enum class Cue { Music, Shot, Blast };

struct CueSound {
    const char* name;  // "music", "shot", "blast"
    SAMPLE** sample;   // the asset handle the cue plays
    int volume;        // 0..255
    int pan;           // 0 far left .. 255 far right
    int frequency;     // 1000 = the sample's own pitch
    int loop;          // 1 loops until shutdown
};

// The parameters of a cue.
const CueSound& cueSound(Cue cue);

// Called by the rules when a sound starts: the cue joins the frame's requests (state/requests.h).
void playCue(Cue cue);
