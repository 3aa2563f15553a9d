// window_icon.h -- the game's icon on its window (title bar, task switcher): the desktop
// icon's own pixels, which the asset generator writes out as a source file at build time
#pragma once

#include <cstdint>

constexpr int windowIconSize = 64;

// Rows from the top, each pixel 0xAARRGGBB (alpha 0: see-through), as _NET_WM_ICON takes them.
extern const uint32_t windowIconPixels[windowIconSize * windowIconSize];
