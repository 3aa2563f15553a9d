// game_state.h -- the one record of everything that changes while Driftwing runs
//
// state/ holds that record, the level map, the assets, the sound cues and what a frame asks
// of the machine: every other part of the game includes it, and it includes nothing outside
// state/ but the library.
#pragma once

#include <cstdint>

enum GameMode : int32_t { Title = 1, Playing = 2 };
enum ShotState : int32_t { Ready = 1, Flying = 2 };
enum EnemyState : int32_t { Destroyed = 1, Alive = 2 };
enum DiverPhase : int32_t { Homing = 0, Diving = 3 };

// glideDir values
constexpr int32_t glideLeft = 1;
constexpr int32_t glideRight = 2;

// Explosion activity
constexpr int32_t explosionIdle = 1;
constexpr int32_t explosionRunning = 2;

constexpr int playerShotCount = 21;  // slot 0 is never launched
constexpr int diverCount = 51;       // cell codes 2..52
constexpr int gunnerCount = 51;      // cell codes 53..103
constexpr int gunnerShotCount = 21;
constexpr int scoreDigitCount = 9;

struct PlayerShot {
    int32_t state;  // ShotState: Ready rides with the ship, Flying rises
    int32_t x, y;   // screen position of the top-left corner
};

struct Explosion {
    int32_t frame;   // frame to show, 1..16; 17 once it has ended
    int32_t x, y;    // screen point where the enemy was hit; fixed while it runs
    int32_t active;  // explosionRunning or explosionIdle
    int32_t tick;    // calls since the frame last advanced
};

struct Diver {
    int32_t phase;             // DiverPhase: Homing, then Diving once level with the ship
    int32_t tick;              // steps taken while alive
    int32_t offsetX, offsetY;  // pixels from its cell's screen position
    int32_t x, y;              // screen position, recomputed at the start of each step
    int32_t state;             // EnemyState
    Explosion explosion;
};

struct GunnerShot {
    int32_t state;  // ShotState: Ready rides with the gunner, Flying falls
    int32_t x, y;
};

struct Gunner {
    int32_t tick;       // steps taken while alive
    int32_t frame;      // animation frame 1..4
    int32_t frameTick;  // steps since the frame last advanced
    int32_t offsetX;    // pixels from its cell's x; a gunner never leaves its row
    int32_t x, y;       // screen position, recomputed at the start of each step
    int32_t state;      // EnemyState
    Explosion explosion;
    GunnerShot shots[gunnerShotCount];
};

struct GameState {
    int32_t gameMode;        // GameMode; 0 only until initSession runs
    int32_t stepTick;        // frames towards the next scroll step; steering keys add to it
    int32_t titleBlinkTick;  // title blink counter 0..500, runs in every mode
    int32_t backdropScroll;  // backdrop offset in pixels 0..600, +3 per playing frame
    int32_t scrollY;         // level pixel row at the top of the screen
    int32_t topRow;          // first map row the world pass handles
    int32_t shipOffsetX;     // ship x offset from its marker cell, steps of 6 (glide)
    int32_t shipOffsetY;     // ship y offset from its marker cell, steps of 4 (Up/Down)
    int32_t shipX, shipY;    // ship position at the start of the latest ship step
    int32_t glideDir;        // glideLeft or glideRight
    int32_t shipFrame;       // ship animation frame 1..4
    int32_t shipFrameTick;   // ship steps since the frame last advanced
    int32_t fireTick;        // frames of Space held since the last launch
    int32_t shotCursor;      // next player shot slot to launch, 1..20
    PlayerShot playerShots[playerShotCount];
    Diver divers[diverCount];
    Gunner gunners[gunnerCount];
    int32_t scoreDigits[scoreDigitCount];  // most significant first, each 0..9
};

// Every field is a 32-bit integer, none padded: 4524 of them.
static_assert(sizeof(GameState) == 4524 * sizeof(int32_t));

// The game's whole mutable state; zero-filled before start-up.
extern GameState game;

// Called once by start-up after the first resetGame: defaults, assets, music, level.
// Returns false when an asset could not be loaded (nothing is left loaded then).
bool initSession();

// Called at start-up (mode 0) and by the S key on the title screen: readies a new game.
void resetGame();

// Every field of a game state (`game` unless another is named) in one 64-bit number
// (FNV-1a over the fields in order, state/fields.h, each as 4 little-endian bytes): the same on every
// platform for the same game. Recordings note it so that a replay can show it came out
// the same.
uint64_t gameStateDigest(const GameState& state = game);

// Converts scrollY into the first handled map row: nearest integer, halves to even.
int32_t rowOfScroll(int32_t scrollY);
