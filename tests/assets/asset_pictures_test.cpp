// asset_pictures_test.cpp -- the generated sprite sheet, backdrop and title pictures
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "world/sprites.h"

namespace {

struct Picture {
    BITMAP* bmp = nullptr;
    PALETTE pal;
};

// Loads one generated picture exactly as stored: 8 bits per pixel, its own palette.
Picture loadPicture(const char* path) {
    static bool started = false;
    if (!started) {
        install_allegro(SYSTEM_NONE, &errno, atexit);
        set_color_depth(8);
        set_color_conversion(COLORCONV_NONE);
        started = true;
    }
    Picture p;
    p.bmp = load_bmp(path, p.pal);
    return p;
}

double luminance(const RGB& c) { return (0.3 * c.r + 0.59 * c.g + 0.11 * c.b) / 63.0; }

int opaqueIn(BITMAP* b, int x, int y, int w, int h) {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) n += getpixel(b, xx, yy) != 0;
    return n;
}

class GeneratedPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sheet = loadPicture("data/main.bmp");
        back = loadPicture("data/back.bmp");
        title = loadPicture("data/main2.bmp");
    }
    void SetUp() override {
        ASSERT_NE(sheet.bmp, nullptr);
        ASSERT_NE(back.bmp, nullptr);
        ASSERT_NE(title.bmp, nullptr);
    }
    static Picture sheet, back, title;

    static std::vector<SpriteRegion> allRegions() {
        std::vector<SpriteRegion> r(std::begin(shipRegions), std::end(shipRegions));
        r.insert(r.end(), std::begin(gunnerRegions), std::end(gunnerRegions));
        for (int x : explosionSourceX)
            r.push_back({x, explosionSourceY, explosionSize, explosionSize});
        r.push_back(diverSprite);
        r.push_back(shotSprite);
        r.push_back(bannerRegion);
        return r;
    }
    static SpriteRegion explosionRegion(int frame) {
        return {explosionSourceX[frame - 1], explosionSourceY, explosionSize, explosionSize};
    }
    // Sum of colour differences between two pictures' regions, pixel by pixel.
    static long regionDifference(BITMAP* b, const SpriteRegion& a, const SpriteRegion& c) {
        long d = 0;
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                d += getpixel(b, a.x + x, a.y + y) != getpixel(b, c.x + x, c.y + y);
        return d;
    }
};
Picture GeneratedPictures::sheet, GeneratedPictures::back, GeneratedPictures::title;

TEST_F(GeneratedPictures, HaveTheSizesTheGameCopiesFrom) {
    EXPECT_EQ(bitmap_color_depth(sheet.bmp), 8);
    EXPECT_GE(sheet.bmp->w, 1000);
    EXPECT_GE(sheet.bmp->h, 600);
    EXPECT_EQ(back.bmp->w, 320);
    EXPECT_EQ(back.bmp->h, 600) << "the backdrop repeats every 600 pixels";
    EXPECT_GE(title.bmp->w, 640);
    EXPECT_GE(title.bmp->h, 300);
}

TEST_F(GeneratedPictures, ShareOnePaletteWithBlackZeroAndBrightScoreColour) {
    // The game shows everything in the backdrop's palette, so all three must agree.
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(sheet.pal[i].r, back.pal[i].r) << i;
        EXPECT_EQ(sheet.pal[i].g, back.pal[i].g) << i;
        EXPECT_EQ(sheet.pal[i].b, back.pal[i].b) << i;
        EXPECT_EQ(title.pal[i].r, back.pal[i].r) << i;
        EXPECT_EQ(title.pal[i].g, back.pal[i].g) << i;
        EXPECT_EQ(title.pal[i].b, back.pal[i].b) << i;
    }
    EXPECT_EQ(back.pal[0].r + back.pal[0].g + back.pal[0].b, 0) << "index 0 is black";
    EXPECT_GT(luminance(back.pal[15]), 0.85) << "the score text must be bright";
}

TEST_F(GeneratedPictures, EverySpriteIsDrawnInsideItsRegionAndNothingOutside) {
    for (const SpriteRegion& r : allRegions()) {
        int shown = r.x == bannerRegion.x && r.y == bannerRegion.y ? 120 : r.width;
        int area = shown * r.height;
        EXPECT_GT(opaqueIn(sheet.bmp, r.x, r.y, shown, r.height), area / 40)
            << "region at " << r.x << "," << r.y << " is (nearly) empty";
    }
    // Everything outside the regions must be the transparent colour, or stray pixels
    // would never show and a misplaced sprite would go unnoticed.
    std::vector<char> covered(sheet.bmp->w * sheet.bmp->h, 0);
    for (const SpriteRegion& r : allRegions())
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) covered[y * sheet.bmp->w + x] = 1;
    int strays = 0;
    for (int y = 0; y < sheet.bmp->h; ++y)
        for (int x = 0; x < sheet.bmp->w; ++x)
            strays += !covered[y * sheet.bmp->w + x] && getpixel(sheet.bmp, x, y) != 0;
    EXPECT_EQ(strays, 0);
}

TEST_F(GeneratedPictures, NeighbouringExplosionFramesNeverShowEachOther) {
    // Frames 15 and 16 overlap by 13 columns; 8/9 and 12/13 share one column.
    const SpriteRegion f15 = explosionRegion(15), f16 = explosionRegion(16);
    const int shared = f15.x + f15.width - f16.x;
    ASSERT_EQ(shared, 13);
    EXPECT_EQ(opaqueIn(sheet.bmp, f16.x, f16.y, shared, f16.height), 0)
        << "frame 15 would show the start of frame 16";
    EXPECT_GT(opaqueIn(sheet.bmp, f15.x, f15.y, f15.width - shared, f15.height), 0);
    for (int frame : {9, 13}) {
        const SpriteRegion r = explosionRegion(frame);
        EXPECT_EQ(opaqueIn(sheet.bmp, r.x, r.y, 1, r.height), 0)
            << "column shared with frame " << frame - 1;
    }
}

TEST_F(GeneratedPictures, ExplosionSwellsThenFadesAndCools) {
    std::vector<int> size(17);
    std::vector<double> glow(17);
    for (int f = 1; f <= 16; ++f) {
        const SpriteRegion r = explosionRegion(f);
        double light = 0;
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) {
                int c = getpixel(sheet.bmp, x, y);
                if (c) light += luminance(sheet.pal[c]);
            }
        size[f] = opaqueIn(sheet.bmp, r.x, r.y, r.width, r.height);
        glow[f] = light / std::max(1, size[f]);
    }
    int peak = static_cast<int>(std::max_element(size.begin() + 1, size.end()) - size.begin());
    EXPECT_GT(peak, 3) << "the blast should grow for a few frames";
    EXPECT_LT(peak, 13);
    EXPECT_LT(size[1] * 3, size[peak]);
    EXPECT_LT(size[16] * 3, size[peak]) << "the last frame should be a thin wisp";
    EXPECT_GT(glow[2], glow[14] * 1.5) << "early frames are hot and bright, late ones smoke";
}

TEST_F(GeneratedPictures, ShipAndGunnerFramesAnimateAndEnemiesSitInTheirHitBoxes) {
    for (int f = 1; f < 4; ++f) {
        EXPECT_GT(regionDifference(sheet.bmp, shipRegions[f], shipRegions[f - 1]), 4)
            << "ship frame " << f + 1;
        EXPECT_GT(regionDifference(sheet.bmp, gunnerRegions[f], gunnerRegions[f - 1]), 1)
            << "gunner frame " << f + 1;
    }
    // A shot hits an enemy when it reaches the 22 x 22 box at the enemy's corner, so the
    // bodies must be drawn there, not in the middle of their squares.
    for (const SpriteRegion& r : {gunnerRegions[0], diverSprite}) {
        double sx = 0, sy = 0;
        int n = 0, inside = 0;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                if (getpixel(sheet.bmp, r.x + x, r.y + y)) {
                    sx += x;
                    sy += y;
                    ++n;
                    inside += x < 22 && y < 22;
                }
        ASSERT_GT(n, 0);
        EXPECT_LT(sx / n, 16) << "enemy at " << r.x << "," << r.y;
        EXPECT_LT(sy / n, 16);
        EXPECT_GT(inside * 10, n * 7) << "most of the body inside the hit box";
    }
}

TEST_F(GeneratedPictures, SpritesStandOutFromTheDarkBackdrop) {
    double backLight = 0;
    for (int y = 0; y < back.bmp->h; ++y)
        for (int x = 0; x < back.bmp->w; ++x)
            backLight += luminance(back.pal[getpixel(back.bmp, x, y)]);
    backLight /= back.bmp->w * back.bmp->h;
    double shipLight = 0;
    int n = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (int c = getpixel(sheet.bmp, shipRegions[0].x + x, shipRegions[0].y + y)) {
                shipLight += luminance(sheet.pal[c]);
                ++n;
            }
    EXPECT_LT(backLight, 0.15);
    EXPECT_GT(shipLight / n, backLight * 3);
}

TEST_F(GeneratedPictures, BackdropRunsOnFromItsLastRowIntoItsFirst) {
    // Colour difference between two rows, summed over the row.
    auto rowDistance = [&](int a, int b) {
        double d = 0;
        for (int x = 0; x < back.bmp->w; ++x) {
            const RGB& p = back.pal[getpixel(back.bmp, x, a)];
            const RGB& q = back.pal[getpixel(back.bmp, x, b)];
            d += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
        return d;
    };
    std::vector<double> neighbours;
    for (int y = 0; y + 1 < back.bmp->h; ++y) neighbours.push_back(rowDistance(y, y + 1));
    std::sort(neighbours.begin(), neighbours.end());
    double typical = neighbours[neighbours.size() * 3 / 4];
    EXPECT_LE(rowDistance(back.bmp->h - 1, 0), typical * 1.5)
        << "the seam where the backdrop repeats would show";
    // And the rows are really different from each other (not a blank picture).
    EXPECT_GT(neighbours.back(), 0);
}

TEST_F(GeneratedPictures, TitleFramesLeaveTheScoreCornerPlainAndShowText) {
    for (int frameX : {0, 320}) {
        EXPECT_EQ(opaqueIn(title.bmp, frameX, 0, 144, 8), 0)
            << "score corner of frame at " << frameX;
        // Each frame is a full picture with bright lettering on it.
        int bright = 0;
        for (int y = 8; y < 300; ++y)
            for (int x = frameX; x < frameX + 320; ++x)
                bright += luminance(title.pal[getpixel(title.bmp, x, y)]) > 0.8;
        EXPECT_GT(bright, 300) << "frame at " << frameX;
    }
    EXPECT_GT(regionDifference(title.bmp, {0, 0, 320, 300}, {320, 0, 320, 300}), 320 * 300 / 4)
        << "the two title frames must differ";
}

}  // namespace
