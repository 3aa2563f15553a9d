// sprite_sheet.h -- where each picture lies in the sprite sheet, and the masked copy out of it
//
// The sheet's layout belongs with the asset: the world draws its ship, enemies, shots and
// explosions from it, and the title its banner.
#pragma once

#include <cstdint>

struct SpriteRegion {
    int x, y, width, height;  // source rectangle in the sprite sheet
};

constexpr SpriteRegion shipRegions[4] = {
    {0, 180, 40, 40}, {40, 180, 40, 40}, {80, 180, 40, 40}, {120, 180, 40, 40}};
constexpr SpriteRegion gunnerRegions[4] = {
    {0, 220, 40, 40}, {40, 220, 40, 40}, {80, 220, 40, 40}, {120, 220, 40, 40}};
// The explosion frames are not evenly spaced, and frames 15 and 16 overlap.
constexpr int32_t explosionFrames = 16;
constexpr int explosionSourceX[16] = {0,   63,  126, 190, 252, 316, 378, 442,
                                      503, 566, 630, 693, 754, 819, 889, 938};
constexpr int explosionSourceY = 538;
constexpr int explosionSize = 62;
constexpr SpriteRegion diverSprite = {0, 0, 20, 20};
constexpr SpriteRegion shotSprite = {30, 0, 10, 10};
constexpr SpriteRegion bannerRegion = {257, 90, 200, 18};

// Masked copy of a sheet region into the backBuffer with its corner at (x, y).
void drawSprite(const SpriteRegion& region, int32_t x, int32_t y);
