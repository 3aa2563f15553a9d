// picture_check.h -- comparing the frame in backBuffer with the pictures it is made of
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

// A pixel value that a rectangle of the frame should show at (x, y).
using ExpectedPixel = std::function<int(int x, int y)>;

// Passes when every pixel of backBuffer in [x0, x0+w) x [y0, y0+h) equals `expected`;
// otherwise names the first pixel that differs and how many do.
::testing::AssertionResult frameShows(int x0, int y0, int w, int h, const ExpectedPixel& expected);

// The same over the whole frame, skipping pixels for which `skip` is true.
::testing::AssertionResult frameShowsExcept(const ExpectedPixel& expected,
                                            const std::function<bool(int x, int y)>& skip);

// Fills a loaded picture with a pattern of colours 16..215 that differs from pixel to
// pixel (seeded so two pictures differ), so that each layer of a frame can be told
// apart whatever the art looks like. With `holes`, every third pixel of each row is
// the mask colour 0 instead.
void paintPattern(BITMAP* picture, int seed, bool holes = false);

// The text as drawTitle's score line draws it, on its own: 8 x 8 cells, glyph in the
// score colour on colour 0. Owned by the caller.
BITMAP* textPicture(const std::string& text);

// The pixel of `picture`, or -1 outside it.
int pixelOf(BITMAP* picture, int x, int y);

// The score line's area: the label and nine digits, x 0..143, y 0..7.
bool inScoreLine(int x, int y);
