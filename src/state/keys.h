// keys.h -- the seven keys the game reads, as bits of the set held down in one frame, and
// their names in key scripts and recordings
#pragma once

#include <cstdint>
#include <string_view>

enum GameKey : uint32_t {
    HeldEsc = 1u << 0,
    HeldLeft = 1u << 1,
    HeldRight = 1u << 2,
    HeldUp = 1u << 3,
    HeldDown = 1u << 4,
    HeldSpace = 1u << 5,
    HeldS = 1u << 6,
};

// Each game key: its bit and its name in a key script. Which keyboard keys or pad buttons
// hold it is the player's choice (config/key_bindings.h).
struct GameKeyName {
    GameKey bit;
    std::string_view name;
};
constexpr GameKeyName gameKeys[] = {
    {HeldEsc, "ESC"},   {HeldLeft, "LEFT"},   {HeldRight, "RIGHT"}, {HeldUp, "UP"},
    {HeldDown, "DOWN"}, {HeldSpace, "SPACE"}, {HeldS, "S"},
};
