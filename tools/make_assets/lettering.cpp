// lettering.cpp -- a 5 x 7 capital alphabet drawn here, painted with outline and shadow
#include "lettering.h"

#include <cstring>
#include <vector>

namespace art {
namespace {

struct Glyph {
    char ch;
    const char* rows[glyphHeight];
};

const Glyph glyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"}},
    {'J', {"..###", "...#.", "...#.", "...#.", "#..#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'-', {".....", ".....", ".....", ".###.", ".....", ".....", "....."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".....", "..#.."}},
};

const Glyph* findGlyph(char ch) {
    for (const Glyph& g : glyphs)
        if (g.ch == ch) return &g;
    return nullptr;
}

}  // namespace

int bigTextWidth(const char* text, int cellW) {
    int n = static_cast<int>(std::strlen(text));
    return n == 0 ? 0 : (n * glyphAdvance - 1) * cellW;
}

void drawBigText(BITMAP* dest, const char* text, int x, int y, int cellW, int cellH,
                 const LetterStyle& style) {
    const int w = bigTextWidth(text, cellW), h = glyphHeight * cellH;
    if (w == 0) return;
    // Letter mask first, so outline and shadow can be worked out around whole words.
    BITMAP* mask = create_bitmap_ex(8, w, h);
    clear_to_color(mask, 0);
    int penX = 0;
    for (const char* c = text; *c; ++c, penX += glyphAdvance * cellW) {
        const Glyph* g = findGlyph(*c);
        if (!g) continue;
        for (int r = 0; r < glyphHeight; ++r)
            for (int col = 0; col < glyphWidth; ++col)
                if (g->rows[r][col] == '#')
                    rectfill(mask, penX + col * cellW, r * cellH, penX + (col + 1) * cellW - 1,
                             (r + 1) * cellH - 1, 1);
    }
    auto on = [&](int mx, int my) {
        return mx >= 0 && my >= 0 && mx < w && my < h && getpixel(mask, mx, my) != 0;
    };
    const int s = style.shadowOffset;
    for (int my = -1; my <= h + s; ++my)
        for (int mx = -1; mx <= w + s; ++mx) {
            if (on(mx, my)) {
                // Brighter along the top edge of each stroke, darker along its bottom.
                int level = style.topLevel +
                            (style.bottomLevel - style.topLevel) * my / (h > 1 ? h - 1 : 1);
                if (!on(mx, my - 1)) level += 2;
                if (!on(mx, my + 1)) level -= 2;
                putpixel(dest, x + mx, y + my, shade(style.ramp, level));
            } else if (on(mx - 1, my) || on(mx + 1, my) || on(mx, my - 1) || on(mx, my + 1) ||
                       on(mx - 1, my - 1) || on(mx + 1, my + 1) || on(mx - 1, my + 1) ||
                       on(mx + 1, my - 1)) {
                putpixel(dest, x + mx, y + my, outlineIndex);
            } else if (s > 0 && on(mx - s, my - s)) {
                putpixel(dest, x + mx, y + my, shade(Space, 1));
            }
        }
    destroy_bitmap(mask);
}

void drawBigTextCentred(BITMAP* dest, const char* text, int centreX, int y, int cellW, int cellH,
                        const LetterStyle& style) {
    drawBigText(dest, text, centreX - bigTextWidth(text, cellW) / 2, y, cellW, cellH, style);
}

}  // namespace art
