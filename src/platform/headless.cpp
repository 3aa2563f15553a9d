// headless.cpp -- the null platform: no window, no keyboard device, no sound card
#include "platform/headless.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {
uint32_t heldKeys = 0;
SoundRecorder recorder = nullptr;

bool open() {
    // Allegro for memory bitmaps, files and samples only.
    if (install_allegro(SYSTEM_NONE, nullptr, atexit) != 0) {
        std::fprintf(stderr, "driftwing: cannot start the library: %s\n", allegro_error);
        return false;
    }
    set_color_depth(8);
    // A 256-colour window maps palette index i to pixel value i (the score line's colour
    // comes from this table); with no window the library leaves the table all 0.
    for (int i = 0; i < 256; ++i) palette_color[i] = i;
    return true;
}

void nothing() {}
void present(BITMAP*) {}
void showPalette(const RGB*) {}

uint32_t pollKeys() { return heldKeys; }

void playSample(const char* cue, SAMPLE*, int volume, int pan, int frequency, int loop) {
    if (recorder) recorder(cue, volume, pan, frequency, loop);
}

bool betweenFrames(bool) { return false; }
uint32_t noControls() { return 0; }
void noLine(const PlaybackLine*) {}
void music(bool) {}
}  // namespace

const Platform headlessPlatform = {open,    nothing,     present,       pollKeys,
                                   playSample, showPalette, betweenFrames, nothing,
                                   noControls, noLine,      music};

void setHeadlessKeys(uint32_t heldMask) { heldKeys = heldMask; }

void setSoundRecorder(SoundRecorder r) { recorder = r; }
