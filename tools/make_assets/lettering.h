// lettering.h -- the game's own chunky capital letters, for the name plate and the title
#pragma once

#include <allegro.h>

#include "palette.h"

namespace art {

constexpr int glyphWidth = 5;    // design cells per letter across
constexpr int glyphHeight = 7;   // and down
constexpr int glyphAdvance = 6;  // a letter plus one empty column

// Width in pixels of a text in big letters whose cells are cellW x cellH pixels.
int bigTextWidth(const char* text, int cellW);

// How big letters are painted: a top-to-bottom ramp, a dark outline and a drop shadow.
struct LetterStyle {
    Ramp ramp;
    int topLevel, bottomLevel;
    int shadowOffset;  // pixels down and right; 0 for none
};

// Draws text in big letters with its top-left corner at (x, y). Letters the font does not
// know are left blank.
void drawBigText(BITMAP* dest, const char* text, int x, int y, int cellW, int cellH,
                 const LetterStyle& style);

// Same, centred on x.
void drawBigTextCentred(BITMAP* dest, const char* text, int centreX, int y, int cellW, int cellH,
                        const LetterStyle& style);

}  // namespace art
