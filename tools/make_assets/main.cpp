// main.cpp -- the asset generator: draws the game's pictures and synthesises its sounds
//
// Usage: driftwing-make-assets DATADIR [ICON.png [ICON.cpp]]
// Writes main.bmp, back.bmp, main2.bmp, effect.wav, fall.wav and gmsong.wav into DATADIR,
// the desktop icon when a second path is given, and its pixels as the window's source
// when a third is. Everything is computed from code, so
// every run writes the same bytes.
#include <allegro.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "icon.h"
#include "palette.h"
#include "scenery.h"
#include "sounds.h"
#include "sprites.h"

namespace {

bool savePicture(const std::string& path, BITMAP* picture, PALETTE pal) {
    bool ok = save_bmp(path.c_str(), picture, pal) == 0;
    destroy_bitmap(picture);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: driftwing-make-assets DATADIR [ICON.png [ICON.cpp]]\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    if (install_allegro(SYSTEM_NONE, nullptr, atexit) != 0) return 1;
    set_color_depth(8);
    PALETTE pal;
    art::makePalette(pal);

    BITMAP* backdrop = art::makeBackdrop();
    bool ok = savePicture(dir + "/main.bmp", art::makeSpriteSheet(), pal) &&
              savePicture(dir + "/main2.bmp", art::makeTitleSheet(backdrop), pal) &&
              savePicture(dir + "/back.bmp", backdrop, pal) &&
              art::saveWav(dir + "/effect.wav", art::makeShotSound()) &&
              art::saveWav(dir + "/fall.wav", art::makeBlastSound()) &&
              art::saveWav(dir + "/gmsong.wav", art::makeMusicLoop());
    if (!ok) {
        std::fprintf(stderr, "driftwing-make-assets: cannot write into %s\n", dir.c_str());
        return 1;
    }
    if (argc >= 3) {
        BITMAP* icon = art::makeIconPicture();
        const bool pngOk = art::saveIcon(argv[2], icon, pal);
        const bool sourceOk = argc < 4 || art::saveIconSource(argv[3], icon, pal);
        destroy_bitmap(icon);
        if (!pngOk || !sourceOk) {
            std::fprintf(stderr, "driftwing-make-assets: cannot write %s\n", argv[pngOk ? 3 : 2]);
            return 1;
        }
    }
    return 0;
}
END_OF_MAIN()
