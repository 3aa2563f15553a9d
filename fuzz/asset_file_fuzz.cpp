// asset_file_fuzz.cpp -- any bytes as a picture or sound file: the sanity checks never
// crash, and what they let through the library loads without crashing or allocating
// far beyond the file (run with -malloc_limit_mb)
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "state/assets.h"

namespace {
std::string filePath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    install_allegro(SYSTEM_NONE, nullptr, atexit);
    set_color_depth(8);  // the depth the game loads its pictures at
    const char* dir = std::getenv("TMPDIR");
    filePath = std::string(dir ? dir : "/tmp") + "/driftwing-fuzz-" + std::to_string(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(filePath.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    if (bmpFileIsReadable(filePath.c_str())) {
        PALETTE palette = {};  // as the game's palettes, which are static
        BITMAP* picture = load_bmp(filePath.c_str(), palette);
        if (picture) destroy_bitmap(picture);
    }
    if (wavFileIsReadable(filePath.c_str())) {
        SAMPLE* sound = load_wav(filePath.c_str());
        if (sound) destroy_sample(sound);
    }
    std::remove(filePath.c_str());
    return 0;
}
