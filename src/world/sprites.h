// sprites.h -- where each picture lies in the sprite sheet, and the explosions
#pragma once

#include <cstdint>

#include "state/game_state.h"

struct SpriteRegion {
    int x, y, width, height;  // source rectangle in the sprite sheet
};

constexpr SpriteRegion shipRegions[4] = {
    {0, 180, 40, 40}, {40, 180, 40, 40}, {80, 180, 40, 40}, {120, 180, 40, 40}};
constexpr SpriteRegion gunnerRegions[4] = {
    {0, 220, 40, 40}, {40, 220, 40, 40}, {80, 220, 40, 40}, {120, 220, 40, 40}};
// The explosion frames are not evenly spaced, and frames 15 and 16 overlap.
constexpr int explosionSourceX[16] = {0,   63,  126, 190, 252, 316, 378, 442,
                                      503, 566, 630, 693, 754, 819, 889, 938};
constexpr int explosionSourceY = 538;
constexpr int explosionSize = 62;
constexpr SpriteRegion diverSprite = {0, 0, 20, 20};
constexpr SpriteRegion shotSprite = {30, 0, 10, 10};
constexpr SpriteRegion bannerRegion = {257, 90, 200, 18};

constexpr int32_t explosionFrames = 16;

// Masked copy of a sheet region into the backBuffer with its corner at (x, y).
void drawSprite(const SpriteRegion& region, int32_t x, int32_t y);

// Frame-picking draws: a frame number outside 1..4 (1..16) draws nothing.
void drawShip(int32_t frame, int32_t x, int32_t y);
void drawGunner(int32_t frame, int32_t x, int32_t y);
void drawExplosion(int32_t frame, int32_t x, int32_t y);

// Called when a player shot destroys an enemy: frame 1 at the enemy's corner.
void startExplosion(Explosion& e, int32_t x, int32_t y);

// Called once per processing of a destroyed enemy's cell while its explosion runs:
// a new frame every fourth call, idle on the 64th call.
void advanceExplosion(Explosion& e);
