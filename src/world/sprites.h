// sprites.h -- the ship, gunner and explosion frames drawn from the sprite sheet, and the explosions
#pragma once

#include <cstdint>

#include "state/game_state.h"
#include "state/sprite_sheet.h"

// Frame-picking draws: a frame number outside 1..4 (1..16) draws nothing.
void drawShip(int32_t frame, int32_t x, int32_t y);
void drawGunner(int32_t frame, int32_t x, int32_t y);
void drawExplosion(int32_t frame, int32_t x, int32_t y);

// Called when a player shot destroys an enemy: frame 1 at the enemy's corner.
void startExplosion(Explosion& e, int32_t x, int32_t y);

// Called once per processing of a destroyed enemy's cell while its explosion runs:
// a new frame every fourth call, idle on the 64th call.
void advanceExplosion(Explosion& e);
