// make_assets.cpp -- draws the game's pictures and synthesises its sounds into a data folder
//
// Usage: driftwing-make-assets OUTDIR
// Writes main.bmp, back.bmp, main2.bmp, effect.wav, fall.wav and gmsong.wav.
// Everything is computed from code, so every run writes the same bytes.
#include <allegro.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int sampleRate = 22050;

void makePalette(PALETTE pal) {
    for (int i = 0; i < 256; ++i) pal[i] = {0, 0, 0, 0};
    // 1..15: a small fixed set; 15 is the bright score text colour.
    const RGB base[16] = {{0, 0, 0, 0},    {8, 8, 24, 0},   {16, 16, 40, 0}, {40, 40, 48, 0},
                          {63, 20, 10, 0}, {63, 48, 0, 0},  {63, 63, 20, 0}, {10, 50, 20, 0},
                          {20, 40, 63, 0}, {40, 56, 63, 0}, {50, 10, 50, 0}, {63, 30, 40, 0},
                          {30, 30, 30, 0}, {50, 50, 50, 0}, {20, 63, 63, 0}, {63, 63, 63, 0}};
    for (int i = 0; i < 16; ++i) pal[i] = base[i];
}

bool saveSound(const std::string& path, const std::vector<short>& samples) {
    SF_INFO info = {};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    return true;
}

std::vector<short> tone(double seconds, double startHz, double endHz, double noise) {
    std::vector<short> out(static_cast<size_t>(seconds * sampleRate));
    double phase = 0;
    unsigned seed = 12345;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = static_cast<double>(i) / out.size();
        phase += 2 * M_PI * (startHz + (endHz - startHz) * t) / sampleRate;
        seed = seed * 1103515245u + 12345u;
        double n = ((seed >> 16) & 0x7fff) / 16384.0 - 1.0;
        double v = (std::sin(phase) * (1 - noise) + n * noise) * (1 - t);
        out[i] = static_cast<short>(v * 12000);
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: driftwing-make-assets OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    if (install_allegro(SYSTEM_NONE, nullptr, atexit) != 0) return 1;
    set_color_depth(8);
    PALETTE pal;
    makePalette(pal);

    BITMAP* sheet = create_bitmap(1000, 600);
    clear_to_color(sheet, 0);
    circlefill(sheet, 10, 10, 9, 4);                       // diver
    rectfill(sheet, 33, 1, 36, 8, 6);                      // shot
    for (int f = 0; f < 4; ++f) {
        triangle(sheet, f * 40 + 20, 182, f * 40 + 4, 216, f * 40 + 36, 216, 9);  // ship
        circlefill(sheet, f * 40 + 20, 240, 14 + f % 2, 11);                      // gunner
    }
    const int ex[16] = {0, 63, 126, 190, 252, 316, 378, 442, 503, 566, 630, 693, 754, 819, 889, 938};
    for (int f = 0; f < 16; ++f) circlefill(sheet, ex[f] + 31, 569, 2 + f * 28 / 16, 5);
    rectfill(sheet, 257, 90, 376, 107, 2);
    textout_ex(sheet, font, "DRIFTWING", 262, 95, 15, -1);

    BITMAP* back = create_bitmap(320, 600);
    clear_to_color(back, 1);
    for (int i = 0; i < 120; ++i) putpixel(back, (i * 97) % 320, (i * 211) % 600, 13);

    BITMAP* title = create_bitmap(640, 300);
    clear_to_color(title, 1);
    textout_centre_ex(title, font, "DRIFTWING", 160, 120, 15, -1);
    textout_centre_ex(title, font, "PRESS S TO START", 160, 160, 6, -1);
    textout_centre_ex(title, font, "ARROWS STEER - SPACE FIRES", 480, 130, 15, -1);
    textout_centre_ex(title, font, "ESC QUITS", 480, 150, 15, -1);

    bool ok = save_bmp((dir + "/main.bmp").c_str(), sheet, pal) == 0 &&
              save_bmp((dir + "/back.bmp").c_str(), back, pal) == 0 &&
              save_bmp((dir + "/main2.bmp").c_str(), title, pal) == 0 &&
              saveSound(dir + "/effect.wav", tone(0.15, 1800, 400, 0.2)) &&
              saveSound(dir + "/fall.wav", tone(0.8, 300, 40, 0.8)) &&
              saveSound(dir + "/gmsong.wav", tone(20.0, 220, 220, 0.0));
    if (!ok) {
        std::fprintf(stderr, "driftwing-make-assets: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
END_OF_MAIN()
