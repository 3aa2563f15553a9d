// level.h -- the level map and the level data compiled into the game
#pragma once

#include <cstdint>

constexpr int levelRows = 300;     // map rows 1..300 hold the level
constexpr int levelColumns = 32;   // map columns 1..32 hold the level
constexpr int32_t cellSize = 10;   // pixels per map cell

// Cell codes
constexpr int32_t shipMarkerCode = 1;
constexpr int32_t firstDiverCode = 2;
constexpr int32_t lastDiverCode = 52;
constexpr int32_t firstGunnerCode = 53;
constexpr int32_t lastGunnerCode = 103;

// [row][column]; row 0 and column 0 are never written and stay 0.
extern int32_t levelMap[levelRows + 1][levelColumns + 1];

// 300 lines of 32 comma-separated decimal items, one line per map row.
extern const char levelData[];

// Offset of the next item in levelData; at the terminating NUL once all are read.
extern int32_t levelDataCursor;

// Puts the cursor back on the first item.
void rewindLevelData();

// Converts the item at the cursor and moves past it; 0 at the end, until a rewind.
int32_t readLevelItem();

// Converts one item's text [begin, end): leading spaces skipped, optional sign,
// digits up to the first non-digit; no digits gives 0. Values beyond 32 bits saturate.
int32_t convertLevelItem(const char* begin, const char* end);

// Called by initSession and by resetGame on the title screen, always with restart 1:
// fills rows 1..300, columns 1..32 from the level data.
void loadLevel(int32_t restart);
