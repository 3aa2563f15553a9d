// overlay.cpp -- the lines and the PAUSED box, in the library's 8-pixel font, white on black
#include "overlay/overlay.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr int black = 0, white = 15;  // palette indices
constexpr int barLeft = 4, barRow = 12;

// A line's bar of the whole width, filled up to REACHED.
void drawBar(BITMAP* strip, int reached) {
    const int barRight = strip->w - 5;
    hline(strip, barLeft, barRow, barRight, white);
    if (reached >= barLeft) rectfill(strip, barLeft, barRow - 1, reached, barRow + 1, white);
}
}  // namespace

void drawPlaybackLine(BITMAP* strip, const PlaybackLine& l) {
    clear_to_color(strip, black);
    char text[64];
    auto seconds = [](int64_t frame) { return static_cast<int>(frame / 60); };
    std::snprintf(text, sizeof text, "%d:%02d / %d:%02d", seconds(l.frame) / 60,
                  seconds(l.frame) % 60, seconds(l.frames) / 60, seconds(l.frames) % 60);
    textout_ex(strip, font, text, 4, 2, white, -1);
    const char* speed = l.speedQuarters == 1 ? "x1/4" : l.speedQuarters == 2 ? "x1/2" : nullptr;
    if (!speed) std::snprintf(text, sizeof text, "x%d", l.speedQuarters / 4);
    char right[80];
    std::snprintf(right, sizeof right, "%s%s", l.paused ? "PAUSED  " : "", speed ? speed : text);
    textout_right_ex(strip, font, right, strip->w - 4, 2, white, -1);
    const int64_t span = std::max<int64_t>(1, l.frames - 1);
    drawBar(strip, barLeft + static_cast<int>((strip->w - 5 - barLeft) * (l.frame - 1) / span));
}

void drawVolumeLine(BITMAP* strip, int music, int effects, bool muted) {
    clear_to_color(strip, black);
    char text[64];
    if (muted) {
        std::snprintf(text, sizeof text, "MUTED (M)");
    } else {
        std::snprintf(text, sizeof text, "MUSIC %d%%  EFFECTS %d%%", music, effects);
    }
    textout_ex(strip, font, text, 4, 2, white, -1);
    const int loudest = muted ? 0 : std::max(music, effects);
    drawBar(strip, loudest > 0 ? barLeft + (strip->w - 5 - barLeft) * loudest / 100 : -1);
}

void drawPauseBox(BITMAP* picture) {
    constexpr int left = 112, top = 138, right = 207, bottom = 161, textTop = 146;
    rectfill(picture, left, top, right, bottom, black);
    textout_centre_ex(picture, font, "PAUSED", picture->w / 2, textTop, white, -1);
}

void putLineOver(BITMAP* frame, BITMAP* strip, BITMAP* out) {
    blit(frame, out, 0, 0, 0, 0, frame->w, frame->h - strip->h);
    blit(strip, out, 0, 0, 0, frame->h - strip->h, strip->w, strip->h);
}
