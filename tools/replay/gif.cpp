// gif.cpp -- GIF89a: header, colour table, a graphic control block and LZW data per frame
#include "gif.h"

#include <cstring>

#include "platform/picture.h"

namespace {
constexpr int colourBits = 8;  // LZW's minimum code size: 256 colours
constexpr int clearCode = 1 << colourBits;
constexpr int endCode = clearCode + 1;
constexpr int largestCodes = 4096;    // 12-bit codes at most
constexpr uint32_t tableSize = 8192;  // twice the codes, so probes stay short
}  // namespace

GifWriter::GifWriter(NewFile& out, int width, int height, const RGB* palette)
    : out_(out), width_(width), height_(height), keys_(tableSize), codes_(tableSize) {
    bytes_.reserve(bufferSize);
    putBytes("GIF89a", 6);
    putWord(width);
    putWord(height);
    put(0xF7);  // a global table of 2^8 colours, 8 bits a primary
    put(0);     // background colour
    put(0);     // square pixels
    Rgb24 colours[256];
    coloursOf(palette, colours);
    putBytes(colours, sizeof colours);
    static const uint8_t loopForEver[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                          'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
    putBytes(loopForEver, sizeof loopForEver);
}

void GifWriter::addFrame(const uint8_t* pixels, int delay) {
    static const uint8_t control[] = {0x21, 0xF9, 4, 0x04};  // keep the frame, no transparency
    putBytes(control, sizeof control);
    putWord(delay);
    put(0);  // transparent index (unused)
    put(0);
    put(0x2C);  // the image: the whole screen, no colour table of its own
    putWord(0);
    putWord(0);
    putWord(width_);
    putWord(height_);
    put(0);
    put(colourBits);
    compress(pixels, static_cast<size_t>(width_) * height_);
    put(0);  // the data's end
}

bool GifWriter::finish() {
    put(0x3B);
    return writeOut();
}

bool GifWriter::writeOut() {
    const bool ok = out_.write(bytes_.data(), bytes_.size());
    bytes_.clear();
    return ok;
}

void GifWriter::put(uint8_t byte) {
    bytes_.push_back(byte);
    if (bytes_.size() >= bufferSize) writeOut();
}

void GifWriter::putBytes(const void* data, size_t size) {
    const auto* at = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) put(at[i]);
}

void GifWriter::putWord(int value) {
    put(static_cast<uint8_t>(value & 0xFF));
    put(static_cast<uint8_t>(value >> 8));
}

void GifWriter::putCode(int code) {
    bits_ |= static_cast<uint32_t>(code) << bitCount_;
    bitCount_ += codeSize_;
    while (bitCount_ >= 8) {
        block_[blockLength_++] = static_cast<uint8_t>(bits_ & 0xFF);
        if (blockLength_ == 255) flushBlock();
        bits_ >>= 8;
        bitCount_ -= 8;
    }
}

void GifWriter::flushBlock() {
    if (blockLength_ == 0) return;
    put(static_cast<uint8_t>(blockLength_));
    putBytes(block_, static_cast<size_t>(blockLength_));
    blockLength_ = 0;
}

// LZW as GIF has it: a clear code first, codes one bit wider each time the dictionary
// reaches the next power of two, a clear code when it is full at 4096.
void GifWriter::compress(const uint8_t* pixels, size_t count) {
    auto restart = [&] {
        std::memset(keys_.data(), 0, keys_.size() * sizeof keys_[0]);
        codeSize_ = colourBits + 1;
        nextCode_ = endCode + 1;
    };
    restart();
    putCode(clearCode);
    int prefix = pixels[0];
    for (size_t i = 1; i < count; ++i) {
        const uint32_t entry = (static_cast<uint32_t>(prefix) << 8 | pixels[i]) + 1;
        uint32_t slot = (entry * 2654435761u) >> 19;  // the top 13 bits: 0 .. tableSize - 1
        while (keys_[slot] && keys_[slot] != entry) slot = (slot + 1) & (tableSize - 1);
        if (keys_[slot]) {
            prefix = codes_[slot];
            continue;
        }
        putCode(prefix);
        if (nextCode_ < largestCodes) {
            keys_[slot] = entry;
            codes_[slot] = static_cast<uint16_t>(nextCode_);
            if (nextCode_ == (1 << codeSize_)) ++codeSize_;
            ++nextCode_;
        } else {
            putCode(clearCode);
            restart();
        }
        prefix = pixels[i];
    }
    putCode(prefix);
    putCode(endCode);
    if (bitCount_ > 0) {
        block_[blockLength_++] = static_cast<uint8_t>(bits_ & 0xFF);
        if (blockLength_ == 255) flushBlock();
    }
    bits_ = 0;
    bitCount_ = 0;
    flushBlock();
}
