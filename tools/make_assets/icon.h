// icon.h -- the desktop icon: the fighter on a small night-sky badge
#pragma once

#include <allegro.h>

#include <string>

namespace art {

constexpr int iconSize = 64;

// Paints the icon in the game's palette (index 0 stays see-through).
BITMAP* makeIconPicture();

// Writes the icon as a 64 x 64 RGBA PNG; false if the file cannot be written.
bool saveIcon(const std::string& path, BITMAP* picture, const PALETTE pal);

// Writes the icon's pixels as the C++ source of platform/window_icon.h's windowIconPixels,
// the same colours as the PNG; false if the file cannot be written.
bool saveIconSource(const std::string& path, BITMAP* picture, const PALETTE pal);

}  // namespace art
