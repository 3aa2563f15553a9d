// picture.h -- the 8-bit frame enlarged through its palette into a buffer of pixels: the one
// way the window, the browser, the screenshots and the video maker give the game's pixels
// their colours
#pragma once

#include <allegro.h>

#include <cstddef>
#include <cstdint>

// A new picture of DEPTH bits a pixel, or null after one line on standard error saying so.
BITMAP* makePicture(int depth, int width, int height);

struct Rgb24 {
    uint8_t r, g, b;
};

// The 256 colours of a palette (the library's 6 bits a channel) at 8 bits a channel, each
// widened as the library itself does (and as save_bmp writes a palette).
void coloursOf(const RGB* palette, Rgb24 colours[256]);

// Rows [first, first + rows) of FRAME (8-bit) into OUT, each pixel through TABLE (a colour
// of the pixel format Pixel for each palette index) as a SCALE x SCALE block; a row of OUT
// is PITCH bytes long and OUT's first row is frame row 0's. Each source row is converted
// once and copied to its other scale - 1 rows.
template <typename Pixel>
void enlargeRows(const BITMAP* frame, const Pixel* table, int scale, unsigned char* out,
                 size_t pitch, int first, int rows);

// The whole frame, as enlargeRows.
template <typename Pixel>
void enlarge(const BITMAP* frame, const Pixel* table, int scale, unsigned char* out,
             size_t pitch) {
    enlargeRows(frame, table, scale, out, pitch, 0, frame->h);
}
