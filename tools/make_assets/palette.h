// palette.h -- the one 256-colour palette that every picture of the game is drawn in
#pragma once

#include <allegro.h>

namespace art {

// The palette is sixteen ramps of sixteen shades, darkest first. Ramp 0 is plain grey, so
// index 0 is black (the transparent colour of the sprite sheet and the cleared screen) and
// index 15 is white (the score text).
enum Ramp {
    Grey,     // black to white; outlines, metal, text
    Steel,    // the player's hull: dark navy to pale blue-white
    Cyan,     // canopies, shots, plasma
    Fire,     // dark red through orange and yellow to white
    Crimson,  // divers
    Olive,    // gunners
    Gold,     // lettering
    Purple,   // nebula
    Space,    // the deep blue of empty space
    Rose,     // nebula, warning lights
    Smoke,    // warm grey-brown smoke
    Teal,     // nebula
    Amber,    // glowing cores
    Lime,     // gunner lights
    Ice,      // bright stars, highlights
    Violet,   // nebula
};

constexpr int rampCount = 16;
constexpr int rampLength = 16;
constexpr int transparentIndex = 0;
constexpr int scoreTextIndex = 15;
constexpr int outlineIndex = 1;  // a near-black grey that the mask does not swallow

// The palette index of a ramp's shade; levels outside 0..15 are clamped.
constexpr int shade(Ramp ramp, int level) {
    return ramp * rampLength + (level < 0 ? 0 : level > 15 ? 15 : level);
}

// Fills all 256 entries (6-bit components, as Allegro keeps them).
void makePalette(PALETTE pal);

}  // namespace art
