// gif.h -- an animated GIF written by hand: the game's 256 colours as its one colour table
//
// Each frame is a whole picture of palette indices, so the file shows exactly the
// game's pixels; no quantising, no dithering. Delays are in hundredths of a second.
#pragma once

#include <allegro.h>

#include <cstdint>
#include <vector>

#include "system/io.h"

class GifWriter {
public:
    // Writes the header to `out` (not owned): a width x height screen, the colours of
    // `palette` (widened as every picture of the game is, platform/picture.h), looping for ever.
    GifWriter(NewFile& out, int width, int height, const RGB* palette);

    // One frame of width x height palette indices, row by row, shown for `delay`
    // hundredths of a second.
    void addFrame(const uint8_t* pixels, int delay);

    // Writes the trailer. True when every byte so far reached the file.
    bool finish();

private:
    void put(uint8_t byte);
    void putBytes(const void* data, size_t size);
    bool writeOut();
    void putWord(int value);
    void putCode(int code);
    void flushBlock();
    void compress(const uint8_t* pixels, size_t count);

    static constexpr size_t bufferSize = 1 << 16;
    NewFile& out_;
    std::vector<uint8_t> bytes_;  // written out a buffer at a time
    int width_, height_;
    // The LZW dictionary: an open-addressed table of (prefix code << 8 | byte) + 1 keys.
    std::vector<uint32_t> keys_;
    std::vector<uint16_t> codes_;
    int codeSize_ = 0, nextCode_ = 0;
    uint32_t bits_ = 0;  // bits waiting to fill a byte, lowest first
    int bitCount_ = 0;
    uint8_t block_[255];  // a data sub-block being filled
    int blockLength_ = 0;
};
