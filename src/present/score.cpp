// score.cpp -- drawing the score line in the library's built-in 8 x 8 font
#include "present/score.h"

#include <allegro.h>

#include "state/assets.h"
#include "state/game_state.h"

namespace {
const char* const digitTexts[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

// The library's default text mode: each character cell is opaque, colour 0 behind the glyph.
constexpr int textBackground = 0;

void drawText(const char* text, int x) {
    textout_ex(backBuffer, font, text, x, 0, palette_color[scoreTextColor], textBackground);
}
}  // namespace

void drawScore() {
    drawText("SCORE: ", 0);
    for (int i = 0; i < scoreDigitCount; ++i) {
        const int32_t digit = game.scoreDigits[i];
        if (digit >= 0 && digit <= 9) drawText(digitTexts[digit], scoreDigitsX + scoreDigitPitch * i);
    }
}
