// headless.cpp -- the null platform: Allegro for memory bitmaps, files and samples only
#include "platform/headless.h"

#include <cstdio>
#include <cstdlib>

namespace {
bool open(const ScreenRequest&) {
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
void showPalette(const RGB*) {}
void present(BITMAP*, BITMAP*) {}
int noInput(InputEvent*, int) { return 0; }
PadState noPad() { return {}; }
void playSample(SAMPLE*, int, int, int, bool) {}
void loudness(int, int) {}
void holdMusic(bool) {}
bool fullscreen(bool) { return false; }
ScreenNow screenNow() { return {}; }
}  // namespace

const Platform headlessPlatform = {open,     nothing,    showPalette, present,    noInput,
                                   noPad,    playSample, loudness,    holdMusic,  fullscreen,
                                   screenNow, nothing};
