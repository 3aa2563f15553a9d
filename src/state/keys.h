// keys.h -- the seven keys the game reads, as bits of the set held down in one frame, and
// their names in key scripts and recordings
#pragma once

#include <allegro.h>

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

// Each game key: its bit, its name in a key script, and the keyboard's key for it.
struct GameKeyName {
    GameKey bit;
    std::string_view name;
    int scancode;  // Allegro's KEY_ number
};
constexpr GameKeyName gameKeys[] = {
    {HeldEsc, "ESC", KEY_ESC}, {HeldLeft, "LEFT", KEY_LEFT}, {HeldRight, "RIGHT", KEY_RIGHT},
    {HeldUp, "UP", KEY_UP},    {HeldDown, "DOWN", KEY_DOWN}, {HeldSpace, "SPACE", KEY_SPACE},
    {HeldS, "S", KEY_S},
};
