// scenery.h -- the scrolling backdrop and the two title pictures
#pragma once

#include <allegro.h>

namespace art {

constexpr int backdropWidth = 320;
constexpr int backdropHeight = 600;  // the backdrop repeats every 600 pixels
constexpr int titleFrameWidth = 320;
constexpr int titleHeight = 300;

// Deep space from above: tinted nebula drifts, stars at three depths and a far planet,
// drawn so that its bottom row runs on into its top row.
BITMAP* makeBackdrop();

// Both title frames side by side: the game's name with "PRESS S TO START" on the left,
// how to fly on the right. The score line's corner (top 8 rows, x 0..143) stays black.
// Takes the backdrop so the title shows the same sky.
BITMAP* makeTitleSheet(BITMAP* backdrop);

}  // namespace art
