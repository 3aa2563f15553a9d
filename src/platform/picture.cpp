// picture.cpp -- widening the palette and enlarging the frame's rows, for every pixel format shown
#include "platform/picture.h"

#include <cstdio>
#include <cstring>

BITMAP* makePicture(int depth, int width, int height) {
    BITMAP* picture = create_bitmap_ex(depth, width, height);
    if (!picture) std::fprintf(stderr, "driftwing: cannot make a %d × %d picture\n", width, height);
    return picture;
}

void coloursOf(const RGB* palette, Rgb24 colours[256]) {
    for (int i = 0; i < 256; ++i) {
        colours[i] = {static_cast<uint8_t>(_rgb_scale_6[palette[i].r & 63]),
                      static_cast<uint8_t>(_rgb_scale_6[palette[i].g & 63]),
                      static_cast<uint8_t>(_rgb_scale_6[palette[i].b & 63])};
    }
}

template <typename Pixel>
void enlargeRows(const BITMAP* frame, const Pixel* table, int scale, unsigned char* out,
                 size_t pitch, int first, int rows) {
    const int width = frame->w;
    const size_t rowBytes = sizeof(Pixel) * static_cast<size_t>(width) * scale;
    for (int y = first; y < first + rows; ++y) {
        const unsigned char* from = frame->line[y];
        unsigned char* row = out + pitch * static_cast<size_t>(y) * scale;
        Pixel* to = reinterpret_cast<Pixel*>(row);
        if (scale == 1) {
            for (int x = 0; x < width; ++x) to[x] = table[from[x]];
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const Pixel pixel = table[from[x]];
            for (int i = 0; i < scale; ++i) *to++ = pixel;
        }
        for (int i = 1; i < scale; ++i) std::memcpy(row + pitch * i, row, rowBytes);
    }
}

template void enlargeRows<uint32_t>(const BITMAP*, const uint32_t*, int, unsigned char*, size_t,
                                    int, int);
template void enlargeRows<uint16_t>(const BITMAP*, const uint16_t*, int, unsigned char*, size_t,
                                    int, int);
template void enlargeRows<uint8_t>(const BITMAP*, const uint8_t*, int, unsigned char*, size_t,
                                   int, int);
template void enlargeRows<Rgb24>(const BITMAP*, const Rgb24*, int, unsigned char*, size_t, int,
                                 int);
