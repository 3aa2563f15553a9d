// sprites.cpp -- drawing the sprite sheet: fighter, diver, gunner, bolt, explosion, name plate
#include "sprites.h"

#include <cmath>
#include <utility>
#include <vector>

#include "draw_kit.h"
#include "lettering.h"
#include "palette.h"
#include "state/sprite_sheet.h"

namespace art {
namespace {

using Points = std::vector<std::pair<double, double>>;

// A blank part map the size of a sprite square.
BITMAP* newPartMap(int size) {
    BITMAP* parts = create_bitmap_ex(8, size, size);
    clear_to_color(parts, 0);
    return parts;
}

// ---- the fighter ------------------------------------------------------------------------

// The fighter's design grid is 40 units square; its nose line is column 21, which puts the
// bolt launched at the sprite's x + 20 right on the nose.
constexpr double shipAxis = 21;
enum ShipPart { Hull = 1, Wing, Stripe, Pod, Canopy, Nozzle, Fin };
const PartStyle shipStyles[] = {
    {Grey, 0, 0, 0}, {Steel, 10, 2, 3}, {Steel, 7, 2, 3}, {Crimson, 9, 1, 2},
    {Grey, 9, 2, 3}, {Cyan, 10, 3, 3},  {Grey, 5, 0, 2},  {Steel, 6, 1, 2},
};
// Flame length in design units, frame by frame: a restless, never-repeating-looking flicker.
const double flameLength[4] = {4.5, 6.0, 3.5, 5.5};

void drawShipFlames(BITMAP* dest, int x, int y, int size, int frame) {
    const double scale = size / 40.0, length = flameLength[frame - 1];
    const double nozzles[2] = {19.5, 22.5}, start = 33.0;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double u = (px + 0.5) / scale, v = (py + 0.5) / scale;
            double t = (v - start) / length;
            if (t < 0 || t > 1) continue;
            for (double nx : nozzles) {
                double off = std::fabs(u - nx), half = 1.4 * (1 - t) + 0.3;
                if (off > half) continue;
                int level = static_cast<int>(15.5 - t * 9 - off * 2.5);
                putpixel(dest, x + px, y + py, shade(Fire, level));
                break;
            }
        }
}

}  // namespace

void drawShipSprite(BITMAP* dest, int x, int y, int size, int frame) {
    const int bank = frame == 2 ? -1 : frame == 4 ? 1 : 0;
    BITMAP* parts = newPartMap(size);
    Pen pen{parts, size / 40.0};
    // Banking narrows the fighter a little and drops the wing on the side it turns to.
    auto place = [&](const Points& pts, bool mirror) {
        Points out;
        for (auto [px, py] : pts) {
            double d = (mirror ? -1 : 1) * (px - shipAxis);
            out.push_back({shipAxis + d * (bank ? 0.9 : 1.0), py + bank * d * 0.09});
        }
        return out;
    };
    auto both = [&](int part, const Points& leftSide) {
        pen.poly(part, place(leftSide, false));
        pen.poly(part, place(leftSide, true));
    };
    both(Wing, {{17.5, 14}, {17.5, 28}, {9, 30}, {4, 31}, {4, 27.5}, {8, 23}});
    both(Stripe, {{17, 18}, {17, 20.5}, {6, 28.5}, {5, 27}});
    both(Pod, {{3.5, 22}, {5.5, 22}, {5.5, 31.5}, {3.5, 31.5}});
    both(Fin, {{18.5, 25}, {18.5, 33}, {15, 34}, {15, 31}});
    both(Nozzle, {{18.5, 30}, {20.5, 30}, {20.5, 33.5}, {18.5, 33.5}});
    pen.poly(Hull, place({{21, 1},
                          {23.5, 7},
                          {25, 15},
                          {25, 27},
                          {23.5, 31},
                          {18.5, 31},
                          {17, 27},
                          {17, 15},
                          {18.5, 7}},
                         false));
    pen.ellipse(Canopy, shipAxis + bank * 0.8, 12.5, 1.8, 4);
    shadeParts(parts, shipStyles, dest, x, y, true);
    destroy_bitmap(parts);
    drawShipFlames(dest, x, y, size, frame);
}

// ---- the diver --------------------------------------------------------------------------

namespace {
enum DiverPart { DiverBody = 1, DiverSpine, DiverCore };
const PartStyle diverStyles[] = {
    {Grey, 0, 0, 0}, {Crimson, 8, 2, 3}, {Crimson, 11, 1, 2}, {Amber, 12, 2, 2}};
}  // namespace

void drawDiverSprite(BITMAP* dest, int x, int y, int size) {
    BITMAP* parts = newPartMap(size);
    Pen pen{parts, size / 20.0};
    pen.poly(DiverBody, {{1, 1}, {10, 6}, {18, 1}, {13.5, 11}, {10, 18.5}, {6.5, 11}});
    pen.poly(DiverSpine, {{10, 6.5}, {11.7, 11}, {10, 16.5}, {8.3, 11}});
    pen.ellipse(DiverCore, 10, 9.5, 2.2, 2.2);
    shadeParts(parts, diverStyles, dest, x, y, true);
    destroy_bitmap(parts);
}

// ---- the gunner -------------------------------------------------------------------------

namespace {
enum GunnerPart { Dome = 1, Visor, Rim, Belly, Barrel, Muzzle };
const PartStyle gunnerStyles[] = {{Grey, 0, 0, 0},  {Olive, 9, 3, 3}, {Grey, 2, 0, 0},
                                  {Steel, 7, 2, 3}, {Olive, 5, 1, 2}, {Grey, 8, 1, 2},
                                  {Grey, 11, 0, 2}};
const double rimLightX[5] = {3, 7.5, 12, 16.5, 21};
const double eyeX[4] = {9, 11.5, 14, 11.5};
}  // namespace

void drawGunnerSprite(BITMAP* dest, int x, int y, int size, int frame) {
    BITMAP* parts = newPartMap(size);
    const double scale = size / 40.0;
    Pen pen{parts, scale};
    pen.poly(Barrel, {{15, 15}, {20, 15}, {20, 19}, {15, 18}});
    pen.rect(Barrel, 19.5, 15, 22.5, 25);
    pen.rect(Muzzle, 19, 24.5, 23, 26.5);
    pen.ellipse(Belly, 12, 16.5, 7, 3);
    pen.ellipse(Dome, 12, 9.5, 7.5, 7);
    pen.ellipse(Rim, 12, 14, 11.5, 4);
    pen.rect(Visor, 7, 7.5, 17, 10);
    shadeParts(parts, gunnerStyles, dest, x, y, true);
    destroy_bitmap(parts);
    // The scanning eye sweeps along the visor and the rim lights chase round.
    auto dot = [&](double cx, double cy, int colour) {
        int px = static_cast<int>(cx * scale), py = static_cast<int>(cy * scale);
        int r = scale > 1.5 ? 1 : 0;
        rectfill(dest, x + px, y + py, x + px + r, y + py + r, colour);
    };
    dot(eyeX[frame - 1] - 1, 8, shade(Rose, 11));
    dot(eyeX[frame - 1], 8, shade(Grey, 15));
    dot(eyeX[frame - 1] + 1, 8, shade(Rose, 11));
    for (int i = 0; i < 5; ++i) {
        bool lit = i % 4 == frame - 1;
        dot(rimLightX[i], 14, lit ? shade(Grey, 15) : shade(Lime, 4));
        dot(rimLightX[i] + 1, 14, shade(Lime, lit ? 13 : 3));
    }
    // The muzzle glows as the cannon charges, brightest in the last frame.
    for (double mx = 20; mx < 22.5; mx += 1) dot(mx, 26, shade(Rose, 6 + 3 * frame));
}

// ---- the bolt ---------------------------------------------------------------------------

void drawShotSprite(BITMAP* dest, int x, int y) {
    // Three columns wide: a white-hot core in column 1 with a cyan glow either side.
    for (int row = 0; row < 8; ++row) {
        bool end = row == 0 || row == 7;
        putpixel(dest, x + 1, y + row, end ? shade(Cyan, 11) : shade(Grey, 15));
        if (!end) {
            int glow = (row >= 2 && row <= 5) ? shade(Cyan, 13) : shade(Cyan, 9);
            putpixel(dest, x, y + row, glow);
            putpixel(dest, x + 2, y + row, glow);
        }
    }
}

// ---- the explosion ----------------------------------------------------------------------

void drawExplosionFrame(BITMAP* dest, int x, int y, int frame, int left, int right) {
    const double t = (frame - 1) / 15.0;
    // The blast starts on the enemy's body near the corner and swells towards the middle
    // of its square while it cools from white through orange into smoke that thins away.
    const double grow = clamp01((frame - 1) / 6.0);
    const double centre = 12 + 18 * grow;
    const double radius = 7 + 22 * (1 - (1 - grow) * (1 - grow));
    const double heatPeak = 1.6 * std::pow(1 - t, 1.6);
    const double smokeAmount = smoothStep(0.1, 0.45, t) * (1 - 0.6 * smoothStep(0.55, 1.0, t));
    const double shrink = 1 - 0.45 * smoothStep(0.6, 1.0, t);
    for (int py = 1; py <= 60; ++py)
        for (int px = left; px <= right; ++px) {
            double dx = px + 0.5 - centre, dy = py + 0.5 - centre;
            double d = std::sqrt(dx * dx + dy * dy);
            double n = tilingNoise(px * 0.16 + frame * 0.05, py * 0.16 + frame * 0.3, 64, 64, 7, 3);
            double edge = radius * (0.8 + 0.4 * n);
            if (d > edge) continue;
            double k = 1 - d / edge;
            double heat = heatPeak * (0.35 + 0.9 * k) + (n - 0.5) * 0.6 - 0.25 * (1 - k);
            if (heat > 0.3) {
                putpixel(dest, x + px, y + py, shade(Fire, static_cast<int>(3 + heat * 9)));
                continue;
            }
            if (d > edge * shrink) continue;
            // Smoke thins away in ragged holes rather than in an even screen pattern.
            double density = smokeAmount * (0.4 + 0.8 * k) + (n - 0.5) * 0.5;
            double grain = tilingNoise(px * 0.45, py * 0.45 + frame * 0.4, 64, 64, 13, 2);
            if (density > grain * 0.7 + 0.12)
                putpixel(dest, x + px, y + py, shade(Smoke, static_cast<int>(1 + density * 8)));
        }
    // A quick ring of fire, then sparks flying out and dimming.
    if (frame == 2 || frame == 3) {
        double ring = radius * 1.15 + 2;
        for (int a = 0; a < 180; ++a) {
            int px = static_cast<int>(centre + ring * std::cos(a * M_PI / 90));
            int py = static_cast<int>(centre + ring * std::sin(a * M_PI / 90));
            if (px >= left && px <= right && py >= 1 && py <= 60 && (a & 1))
                putpixel(dest, x + px, y + py, shade(Amber, 13));
        }
    }
    Rng rng(42);
    for (int s = 0; s < 16; ++s) {
        double angle = (s + rng.unit() * 0.8) * 2 * M_PI / 16;
        double speed = 1.4 + rng.unit() * 1.3;
        if (frame < 2 || frame > 10) continue;
        double travel = speed * frame * 2.2;
        for (int trail = 0; trail < 2; ++trail) {
            double r = travel - trail * 1.5;
            int px = static_cast<int>(14 + r * std::cos(angle));
            int py = static_cast<int>(14 + r * std::sin(angle));
            if (px < left || px > right || py < 1 || py > 60) continue;
            int level = 15 - (frame - 2) - trail * 4;
            putpixel(dest, x + px, y + py, level > 9 ? shade(Amber, level) : shade(Fire, level));
        }
    }
}

// ---- the name plate ---------------------------------------------------------------------

void drawNamePlate(BITMAP* dest, int x, int y) {
    const int w = 120, h = 18;
    // A bevelled dark steel plate with the corners clipped.
    rectfill(dest, x + 1, y, x + w - 2, y + h - 1, outlineIndex);
    rectfill(dest, x, y + 1, x + w - 1, y + h - 2, outlineIndex);
    rectfill(dest, x + 1, y + 1, x + w - 2, y + h - 2, shade(Steel, 3));
    hline(dest, x + 2, y + 1, x + w - 3, shade(Steel, 8));
    vline(dest, x + 1, y + 2, y + h - 3, shade(Steel, 6));
    hline(dest, x + 2, y + h - 2, x + w - 3, shade(Steel, 1));
    vline(dest, x + w - 2, y + 2, y + h - 3, shade(Steel, 2));
    for (int rivetX : {x + 3, x + w - 4})
        for (int rivetY : {y + 4, y + h - 5}) putpixel(dest, rivetX, rivetY, shade(Steel, 10));
    drawBigText(dest, "DRIFTWING", x + 7, y + 2, 2, 2, {Gold, 14, 7, 0});
}

BITMAP* makeSpriteSheet() {
    BITMAP* sheet = create_bitmap_ex(8, 1000, 600);
    clear_to_color(sheet, transparentIndex);
    drawDiverSprite(sheet, diverSprite.x, diverSprite.y, diverSprite.width);
    drawShotSprite(sheet, shotSprite.x, shotSprite.y);
    for (int f = 0; f < 4; ++f) {
        drawShipSprite(sheet, shipRegions[f].x, shipRegions[f].y, shipRegions[f].width, f + 1);
        drawGunnerSprite(sheet, gunnerRegions[f].x, gunnerRegions[f].y, gunnerRegions[f].width,
                         f + 1);
    }
    // Frames 15 and 16 share sheet columns: 15 keeps to its first 49 columns and 16 leaves
    // its first 13 empty, so each shows only itself. Neighbours that touch share at most
    // one column, which every frame leaves empty.
    for (int f = 1; f <= explosionFrames; ++f) {
        int left = f == 16 ? 13 : 1, right = f == 15 ? 48 : explosionSize - 2;
        drawExplosionFrame(sheet, explosionSourceX[f - 1], explosionSourceY, f, left, right);
    }
    drawNamePlate(sheet, bannerRegion.x, bannerRegion.y);
    return sheet;
}

}  // namespace art
