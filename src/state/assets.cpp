// assets.cpp -- loading the pictures and sounds, with a sanity check of each file first
#include "state/assets.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "state/requests.h"

const char* const spriteSheetFile = "data/main.bmp";
const char* const backdropFile = "data/back.bmp";
const char* const titleSheetFile = "data/main2.bmp";
const char* const shotSoundFile = "data/effect.wav";
const char* const blastSoundFile = "data/fall.wav";
const char* const musicLoopFile = "data/gmsong.wav";

BITMAP* backBuffer = nullptr;
BITMAP* spriteSheet = nullptr;
BITMAP* backdrop = nullptr;
BITMAP* titleSheet = nullptr;
SAMPLE* shotSound = nullptr;
SAMPLE* blastSound = nullptr;
SAMPLE* musicLoop = nullptr;
PALETTE spritePalette;
PALETTE titlePalette;

namespace {
const char* lastFailure = nullptr;
std::string folder;          // where data/ is; empty: the working folder
std::string failedPath;      // the file that failed, as the game looked for it

// A data file's path as the game opens it.
std::string pathOf(const char* file) {
    return folder.empty() ? file : folder + "/" + file;
}

// Largest picture side we accept; the biggest real asset is 1000 pixels wide.
constexpr int32_t maxPictureSide = 4096;

// BMP compression codes we let the library read: rows stored as they are, plain or with
// colour masks. Run-length coded pictures are refused: the library's decoders write
// past the picture when a run or a position in the file is damaged.
constexpr int64_t plainRows = 0, bitFields = 3;

uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Reads up to n bytes from the start of a file; returns the file's length or -1.
long readHead(const char* path, unsigned char* head, size_t n, size_t* got) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return -1;
    *got = std::fread(head, 1, n, f);
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    std::fclose(f);
    return length;
}

BITMAP* loadPicture(const char* file, RGB* palette) {
    const std::string path = pathOf(file);
    if (!bmpFileIsReadable(path.c_str())) return nullptr;
    return load_bmp(path.c_str(), palette);
}

SAMPLE* loadSound(const char* file) {
    const std::string path = pathOf(file);
    if (!wavFileIsReadable(path.c_str())) return nullptr;
    return load_wav(path.c_str());
}
}  // namespace

bool bmpFileIsReadable(const char* path) {
    unsigned char h[54] = {};
    size_t got = 0;
    long length = readHead(path, h, sizeof h, &got);
    if (length < 26 || got < 26 || h[0] != 'B' || h[1] != 'M') return false;
    uint32_t dataOffset = le32(h + 10);
    uint32_t infoSize = le32(h + 14);
    int64_t width, height, bitsPerPixel, compression = 0;
    if (infoSize == 12) {  // OS/2 header
        width = le16(h + 18);
        height = le16(h + 20);
        bitsPerPixel = le16(h + 24);
    } else if (infoSize >= 40 && got >= 54) {
        width = static_cast<int32_t>(le32(h + 18));
        height = static_cast<int32_t>(le32(h + 22));
        bitsPerPixel = le16(h + 28);
        compression = le32(h + 30);
    } else {
        return false;
    }
    // The rows start after the headers (and the palette, which lies between).
    if (static_cast<int64_t>(dataOffset) < 14 + static_cast<int64_t>(infoSize)) return false;
    // A negative height marks a top-down picture, which the library does not read: it
    // would ask for a bitmap of negative height.
    if (width < 1 || height < 1 || width > maxPictureSide || height > maxPictureSide) return false;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
        bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    // Colour masks go with 16 and 32 bits only; any other coding or pairing the library
    // refuses only after allocating the whole picture, if at all.
    bool knownCoding = compression == plainRows ||
                       (compression == bitFields && (bitsPerPixel == 16 || bitsPerPixel == 32));
    if (!knownCoding) return false;
    // Every row the header promises must be in the file.
    int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return static_cast<int64_t>(dataOffset) + rowBytes * height <= length;
}

bool wavFileIsReadable(const char* path) {
    // Walks the chunks as the library's reader will: it goes on to the end of the file
    // (it does not stop at the sound), makes a new sample for every "data" chunk it
    // meets (losing the one before), fails on a half chunk header at the end (losing
    // the sample it made), and knows no padding after odd-sized chunks. So the file
    // must hold one format chunk, then one sound chunk, every chunk inside the file,
    // and nothing after the last chunk but at most three bytes.
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    unsigned char h[12];
    bool ok = length >= 12 && std::fseek(f, 0, SEEK_SET) == 0 && std::fread(h, 1, 12, f) == 12 &&
              std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WAVE", 4) == 0;
    int64_t here = 12;
    int formats = 0, sounds = 0;
    uint16_t channels = 0, bits = 0;
    while (ok && length - here >= 4) {
        unsigned char c[8];
        if (length - here < 8 || std::fread(c, 1, 8, f) != 8) { ok = false; break; }
        here += 8;
        int64_t size = le32(c + 4);
        if (size > INT32_MAX || size > length - here) { ok = false; break; }
        if (std::memcmp(c, "fmt ", 4) == 0) {
            unsigned char fmt[16];
            if (size < 16 || std::fread(fmt, 1, 16, f) != 16) { ok = false; break; }
            channels = le16(fmt + 2);
            bits = le16(fmt + 14);
            ok = ++formats == 1 && le16(fmt) == 1 && (channels == 1 || channels == 2) &&
                 (bits == 8 || bits == 16);
        } else if (std::memcmp(c, "data", 4) == 0) {
            // Whole sample frames only, as in every sound the game is given: the reader
            // takes whole 16-bit frames and would be out of step with what follows.
            if (formats != 1) { ok = false; break; }
            int64_t frameBytes = channels * (bits / 8);
            ok = ++sounds == 1 && size >= frameBytes && size % frameBytes == 0;
        }
        here += size;
        if (std::fseek(f, static_cast<long>(here), SEEK_SET) != 0) ok = false;
    }
    std::fclose(f);
    return ok && formats == 1 && sounds == 1;
}

bool loadAssets() {
    lastFailure = nullptr;
    spriteSheet = loadPicture(spriteSheetFile, spritePalette);
    backdrop = loadPicture(backdropFile, spritePalette);
    titleSheet = loadPicture(titleSheetFile, titlePalette);
    shotSound = loadSound(shotSoundFile);
    blastSound = loadSound(blastSoundFile);
    musicLoop = loadSound(musicLoopFile);

    const void* handles[] = {spriteSheet, backdrop, titleSheet, shotSound, blastSound, musicLoop};
    const char* files[] = {spriteSheetFile, backdropFile,   titleSheetFile,
                           shotSoundFile,   blastSoundFile, musicLoopFile};
    for (int i = 0; i < 6; ++i) {
        if (!handles[i]) {
            failedPath = pathOf(files[i]);
            lastFailure = failedPath.c_str();
            releaseAssets();
            return false;
        }
    }
    // All three pictures are drawn in one palette; the frame is shown in it.
    frameRequests.palette = spritePalette;
    return true;
}

void useAssetFolder(const std::string& dataFolder) {
    folder = dataFolder;
}

const char* failedAsset() {
    return lastFailure;
}

void releaseAssets() {
    BITMAP** pictures[] = {&backdrop, &spriteSheet, &titleSheet};
    for (BITMAP** b : pictures) {
        if (*b) destroy_bitmap(*b);
        *b = nullptr;
    }
    SAMPLE** sounds[] = {&shotSound, &blastSound, &musicLoop};
    for (SAMPLE** s : sounds) {
        if (*s) destroy_sample(*s);
        *s = nullptr;
    }
}
