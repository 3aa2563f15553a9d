// world.h -- the game's rules: the world pass over the rows on screen (the ship, its shots
// and the enemies), the keys and the scroll
//
// The rules read and write the one game state (state/) and draw into backBuffer; they may
// include state/ and world/ only, never the spine (shell/) or the platform.
#pragma once

#include <cstdint>

// Called by the frame loop in playing frames, after the backdrop: moves, collides
// and draws everything placed in map rows topRow..topRow+30.
void updateWorld();

// The ship's step at its marker cell (absolute row, column).
void updateShip(int32_t row, int32_t column);

// An enemy's step at its cell, for the slot its code names.
void updateDiver(int32_t slot, int32_t row, int32_t column);
void updateGunner(int32_t slot, int32_t row, int32_t column);

// Called by runFrame after the keyboard poll with the keys (GameKey bits) down in this
// frame; true when Escape is down, in which case no other key has been looked at.
bool handleKeys(uint32_t held);

// Called by runFrame once per frame after drawing: scroll pacing, scroll step, level end.
void advanceScroll();

constexpr int32_t enemyHitSize = 22;  // a shot's corner strictly inside this box hits
constexpr int32_t shipHitSize = 42;   // an enemy's corner strictly inside this box touches the ship
