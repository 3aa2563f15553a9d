// picture_check.cpp -- pixel comparisons for the presentation tests
#include "picture_check.h"

#include <sstream>

#include "state/assets.h"

namespace {
::testing::AssertionResult compare(int x0, int y0, int w, int h, const ExpectedPixel& expected,
                                   const std::function<bool(int, int)>& skip) {
    long differing = 0;
    std::ostringstream first;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            if (skip && skip(x, y)) continue;
            const int want = expected(x, y);
            const int got = getpixel(backBuffer, x, y);
            if (got != want && differing++ == 0) {
                first << "first difference at (" << x << ", " << y << "): frame has " << got
                      << ", expected " << want;
            }
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ; " << first.str();
}
}  // namespace

::testing::AssertionResult frameShows(int x0, int y0, int w, int h, const ExpectedPixel& expected) {
    return compare(x0, y0, w, h, expected, nullptr);
}

::testing::AssertionResult frameShowsExcept(const ExpectedPixel& expected,
                                            const std::function<bool(int, int)>& skip) {
    return compare(0, 0, backBuffer->w, backBuffer->h, expected, skip);
}

void paintPattern(BITMAP* picture, int seed, bool holes) {
    for (int y = 0; y < picture->h; ++y) {
        for (int x = 0; x < picture->w; ++x) {
            int colour = 16 + (x * 3 + y * 7 + seed * 11 + (x / 5) * (y / 3)) % 200;
            if (holes && (x + y) % 3 == 0) colour = 0;
            putpixel(picture, x, y, colour);
        }
    }
}

BITMAP* textPicture(const std::string& text) {
    // The score line is drawn in palette index 15; an 8-bit frame holds palette indices.
    constexpr int scoreColour = 15;
    BITMAP* picture = create_bitmap(8 * static_cast<int>(text.size()), 8);
    clear_to_color(picture, 0);
    textout_ex(picture, font, text.c_str(), 0, 0, scoreColour, 0);
    return picture;
}

int pixelOf(BITMAP* picture, int x, int y) {
    if (x < 0 || y < 0 || x >= picture->w || y >= picture->h) return -1;
    return getpixel(picture, x, y);
}

bool inScoreLine(int x, int y) { return x >= 0 && x < 144 && y >= 0 && y < 8; }
