// icon.cpp -- drawing the icon and writing it out with libpng, and as the window's source
#include "icon.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "draw_kit.h"
#include "palette.h"
#include "platform/window_icon.h"
#include "sprites.h"

namespace art {

static_assert(iconSize == windowIconSize, "the window shows the desktop icon as it is drawn");

namespace {
// The icon's pixel at (x, y) as 0xAARRGGBB: the colours widened from 6 to 8 bits, index 0
// see-through.
uint32_t argbAt(BITMAP* picture, int x, int y, const PALETTE pal) {
    const int index = getpixel(picture, x, y);
    const RGB& c = pal[index];
    const uint32_t alpha = index == transparentIndex ? 0 : 255;
    return alpha << 24 | uint32_t(c.r * 255 / 63) << 16 | uint32_t(c.g * 255 / 63) << 8 |
           uint32_t(c.b * 255 / 63);
}
}  // namespace

BITMAP* makeIconPicture() {
    BITMAP* icon = create_bitmap_ex(8, iconSize, iconSize);
    clear_to_color(icon, transparentIndex);
    // A rounded square of deep space, brighter towards the top.
    const int corner = 10, last = iconSize - 1;
    for (int y = 0; y < iconSize; ++y)
        for (int x = 0; x < iconSize; ++x) {
            int cx = x < corner ? corner : x > last - corner ? last - corner : x;
            int cy = y < corner ? corner : y > last - corner ? last - corner : y;
            int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 > corner * corner) continue;
            bool rim =
                d2 > (corner - 2) * (corner - 2) || x < 2 || y < 2 || x > last - 2 || y > last - 2;
            double level = 6 - 5.0 * y / iconSize + ditherThreshold(x, y);
            putpixel(icon, x, y, rim ? shade(Steel, 6) : shade(Space, static_cast<int>(level)));
        }
    Rng rng(64);
    for (int i = 0; i < 14; ++i)
        putpixel(icon, rng.range(5, last - 5), rng.range(5, last - 5),
                 shade(Ice, rng.range(6, 12)));
    drawShipSprite(icon, 4, 3, 56, 1);
    return icon;
}

bool saveIcon(const std::string& path, BITMAP* picture, const PALETTE pal) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, picture->w, picture->h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(picture->w * 4);
    for (int y = 0; y < picture->h; ++y) {
        for (int x = 0; x < picture->w; ++x) {
            const uint32_t argb = argbAt(picture, x, y, pal);
            png_byte* p = &row[x * 4];
            p[0] = static_cast<png_byte>(argb >> 16);
            p[1] = static_cast<png_byte>(argb >> 8);
            p[2] = static_cast<png_byte>(argb);
            p[3] = static_cast<png_byte>(argb >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool saveIconSource(const std::string& path, BITMAP* picture, const PALETTE pal) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    std::fputs("// window_icon.cpp -- written by driftwing-make-assets: the desktop icon's pixels\n"
               "#include \"platform/window_icon.h\"\n\n"
               "const uint32_t windowIconPixels[windowIconSize * windowIconSize] = {\n",
               f);
    for (int y = 0; y < picture->h; ++y) {
        for (int x = 0; x < picture->w; ++x)
            std::fprintf(f, "0x%08x,%c", static_cast<unsigned>(argbAt(picture, x, y, pal)),
                         x % 8 == 7 ? '\n' : ' ');
    }
    std::fputs("};\n", f);
    const bool written = !std::ferror(f);
    return std::fclose(f) == 0 && written;
}

}  // namespace art
