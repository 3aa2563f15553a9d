// palette.cpp -- the game's colours: each ramp runs through a few hand-picked key colours
#include "palette.h"

namespace art {
namespace {

struct Key {
    int level;    // 0..15
    int r, g, b;  // 0..63
};

// Key colours per ramp; the shades between two keys are blended linearly.
struct RampKeys {
    Key keys[4];
    int count;
};

const RampKeys rampKeys[rampCount] = {
    {{{0, 0, 0, 0}, {15, 63, 63, 63}}, 2},                                     // Grey
    {{{0, 2, 3, 8}, {6, 16, 22, 36}, {12, 42, 50, 61}, {15, 58, 62, 63}}, 4},  // Steel
    {{{0, 0, 4, 8}, {7, 0, 32, 44}, {12, 30, 58, 63}, {15, 56, 63, 63}}, 4},   // Cyan
    {{{0, 10, 0, 0}, {5, 48, 8, 0}, {10, 63, 40, 0}, {15, 63, 63, 52}}, 4},    // Fire
    {{{0, 8, 0, 2}, {7, 46, 6, 12}, {12, 63, 30, 30}, {15, 63, 54, 50}}, 4},   // Crimson
    {{{0, 3, 6, 1}, {7, 22, 34, 8}, {12, 44, 54, 20}, {15, 58, 63, 44}}, 4},   // Olive
    {{{0, 14, 6, 0}, {6, 46, 26, 0}, {11, 63, 50, 8}, {15, 63, 63, 48}}, 4},   // Gold
    {{{0, 1, 0, 4}, {8, 22, 6, 34}, {15, 52, 36, 63}}, 3},                     // Purple
    {{{0, 0, 0, 2}, {8, 4, 8, 26}, {15, 24, 34, 60}}, 3},                      // Space
    {{{0, 3, 0, 2}, {8, 40, 6, 26}, {15, 63, 40, 54}}, 3},                     // Rose
    {{{0, 4, 3, 3}, {8, 24, 20, 18}, {15, 50, 46, 42}}, 3},                    // Smoke
    {{{0, 0, 3, 3}, {8, 4, 30, 30}, {15, 36, 63, 56}}, 3},                     // Teal
    {{{0, 12, 4, 0}, {8, 63, 36, 0}, {15, 63, 63, 40}}, 3},                    // Amber
    {{{0, 2, 6, 0}, {8, 26, 54, 0}, {15, 52, 63, 40}}, 3},                     // Lime
    {{{0, 8, 10, 16}, {8, 36, 44, 58}, {15, 63, 63, 63}}, 3},                  // Ice
    {{{0, 2, 1, 6}, {8, 20, 14, 46}, {15, 46, 44, 63}}, 3},                    // Violet
};

int blend(int a, int b, int num, int den) {
    // Rounded linear blend; den is never 0 because key levels strictly increase.
    return a + ((b - a) * num * 2 + den) / (den * 2);
}

}  // namespace

void makePalette(PALETTE pal) {
    for (int ramp = 0; ramp < rampCount; ++ramp) {
        const RampKeys& rk = rampKeys[ramp];
        for (int level = 0; level < rampLength; ++level) {
            int k = 0;
            while (k + 2 < rk.count && level > rk.keys[k + 1].level) ++k;
            const Key& a = rk.keys[k];
            const Key& b = rk.keys[k + 1];
            int num = level - a.level, den = b.level - a.level;
            RGB& c = pal[ramp * rampLength + level];
            c.r = static_cast<unsigned char>(blend(a.r, b.r, num, den));
            c.g = static_cast<unsigned char>(blend(a.g, b.g, num, den));
            c.b = static_cast<unsigned char>(blend(a.b, b.b, num, den));
            c.filler = 0;
        }
    }
}

}  // namespace art
