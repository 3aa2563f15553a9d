// scenery.cpp -- painting the backdrop and the title pictures
#include "scenery.h"

#include <cmath>

#include "draw_kit.h"
#include "lettering.h"
#include "palette.h"
#include "sprites.h"

namespace art {
namespace {

// The nebula: soft clouds whose hue drifts from purple through violet to teal. Both noise
// fields repeat exactly across the picture's width and down its height.
int nebulaColour(int x, int y) {
    double u = x * 4.0 / backdropWidth, v = y * 8.0 / backdropHeight;
    double density = tilingNoise(u, v, 4, 8, 11, 5);
    double hue = tilingNoise(x * 2.0 / backdropWidth, y * 3.0 / backdropHeight, 2, 3, 23, 2);
    // Dark dust lanes part the clouds where the hue changes, so no two tints ever touch.
    const double borders[3] = {0.38, 0.55, 0.68};
    double purity = 1;
    for (double b : borders) purity = std::fmin(purity, smoothStep(0.0, 0.06, std::fabs(hue - b)));
    double glow = smoothStep(0.45, 0.85, density) * purity;
    double level = 1 + glow * 6.5 + ditherThreshold(x, y) - 0.5;
    Ramp ramp = hue < borders[0]   ? Purple
                : hue < borders[1] ? Violet
                : hue < borders[2] ? Space
                                   : Teal;
    int l = static_cast<int>(std::floor(level));
    return l <= 1 ? shade(Space, 1) : shade(ramp, l);
}

void plotWrapped(BITMAP* bmp, int x, int y, int colour) {
    if (x < 0 || x >= bmp->w) return;
    putpixel(bmp, x, ((y % bmp->h) + bmp->h) % bmp->h, colour);
}

void drawStars(BITMAP* bmp, uint32_t seed, int far, int near, int bright) {
    Rng rng(seed);
    for (int i = 0; i < far; ++i) {  // distant: single dim points
        int x = rng.range(0, bmp->w - 1), y = rng.range(0, bmp->h - 1);
        plotWrapped(bmp, x, y,
                    rng.unit() < 0.5 ? shade(Grey, rng.range(4, 7)) : shade(Ice, rng.range(1, 4)));
    }
    for (int i = 0; i < near; ++i) {  // nearer: brighter, some with a faint halo
        int x = rng.range(0, bmp->w - 1), y = rng.range(0, bmp->h - 1);
        Ramp tint = rng.unit() < 0.7 ? Ice : Amber;
        plotWrapped(bmp, x, y, shade(tint, rng.range(9, 12)));
        if (rng.unit() < 0.4) {
            plotWrapped(bmp, x + 1, y, shade(tint, 3));
            plotWrapped(bmp, x, y + 1, shade(tint, 3));
        }
    }
    for (int i = 0; i < bright; ++i) {  // a few close bright stars with a cross of light
        int x = rng.range(4, bmp->w - 5), y = rng.range(0, bmp->h - 1);
        int arm = rng.range(2, 3);
        for (int a = 1; a <= arm; ++a) {
            int c = shade(Ice, 12 - a * 3);
            plotWrapped(bmp, x - a, y, c);
            plotWrapped(bmp, x + a, y, c);
            plotWrapped(bmp, x, y - a, c);
            plotWrapped(bmp, x, y + a, c);
        }
        plotWrapped(bmp, x - 1, y - 1, shade(Ice, 4));
        plotWrapped(bmp, x + 1, y + 1, shade(Ice, 4));
        plotWrapped(bmp, x + 1, y - 1, shade(Ice, 4));
        plotWrapped(bmp, x - 1, y + 1, shade(Ice, 4));
        plotWrapped(bmp, x, y, shade(Grey, 15));
    }
}

// A sphere lit from the upper left, dithered between the shades of one ramp.
void drawPlanet(BITMAP* bmp, int cx, int cy, int r, Ramp ramp, int brightest) {
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x) {
            double dx = (x - cx) / static_cast<double>(r), dy = (y - cy) / static_cast<double>(r);
            double d2 = dx * dx + dy * dy;
            if (d2 > 1) continue;
            double dz = std::sqrt(1 - d2);
            double light = clamp01(-0.55 * dx - 0.6 * dy + 0.58 * dz);
            double bands = 0.15 * std::sin((dy * 7 + 0.6 * dx) * 3.1);
            double level =
                1 + (brightest - 1) * clamp01(light + bands * light) + ditherThreshold(x, y) - 0.5;
            plotWrapped(bmp, x, y, shade(ramp, static_cast<int>(std::floor(level))));
        }
}

}  // namespace

BITMAP* makeBackdrop() {
    BITMAP* back = create_bitmap_ex(8, backdropWidth, backdropHeight);
    for (int y = 0; y < backdropHeight; ++y)
        for (int x = 0; x < backdropWidth; ++x) putpixel(back, x, y, nebulaColour(x, y));
    drawPlanet(back, 262, 430, 17, Amber, 9);
    drawStars(back, 5, 420, 90, 14);
    return back;
}

namespace {

void keepScoreCornerPlain(BITMAP* title, int frameX) {
    // The score line is drawn here with a black background; leave it a black strip.
    rectfill(title, frameX, 0, frameX + titleFrameWidth - 1, 9, transparentIndex);
    hline(title, frameX, 10, frameX + titleFrameWidth - 1, shade(Steel, 4));
}

// The big curve of a world below, its rim glowing with atmosphere.
void drawHorizon(BITMAP* title, int frameX) {
    const double cx = 160, cy = 545, r = 285;
    for (int y = 200; y < titleHeight; ++y)
        for (int x = 0; x < titleFrameWidth; ++x) {
            double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            double inside = r - d;
            if (inside < -6) continue;
            int colour;
            if (inside < 0) {  // atmosphere haze outside the rim
                double level = 5 + inside + ditherThreshold(x, y);
                if (level < 1) continue;
                colour = shade(Cyan, static_cast<int>(level));
            } else {
                double n = tilingNoise(x / 24.0, y / 10.0, 64, 64, 31, 3);
                double light = clamp01(1 - (x / 320.0) * 0.6 - inside / 90.0);
                double level = 1 + light * 7 + (n - 0.5) * 4 + ditherThreshold(x, y);
                if (inside < 2) level = 12;
                colour = shade(n > 0.55 ? Olive : Teal, static_cast<int>(level));
            }
            putpixel(title, frameX + x, y, colour);
        }
}

void drawTitleFrameOne(BITMAP* title) {
    drawHorizon(title, 0);
    drawBigTextCentred(title, "DRIFTWING", 160, 34, 5, 6, {Gold, 15, 5, 3});
    textout_centre_ex(title, font, "A SHOOTER AMONG THE STARS", 160, 86, shade(Ice, 11), -1);
    // The fighter at twice its size, flanked by the enemies it will meet.
    drawShipSprite(title, 120, 118, 80, 1);
    drawDiverSprite(title, 58, 110, 20);
    drawDiverSprite(title, 246, 128, 20);
    drawGunnerSprite(title, 40, 160, 40, 1);
    drawGunnerSprite(title, 252, 168, 40, 3);
    drawShotSprite(title, 160, 106);
    drawShotSprite(title, 160, 96);
    drawBigTextCentred(title, "PRESS S TO START", 160, 226, 2, 2, {Grey, 15, 9, 2});
}

// A keyboard key seen from above, with a label drawn on its top face.
void drawKeyCap(BITMAP* title, int x, int y, int w, const char* label) {
    const int h = 18;
    rectfill(title, x, y, x + w - 1, y + h + 2, outlineIndex);
    rectfill(title, x + 1, y + h - 2, x + w - 2, y + h + 1, shade(Grey, 6));
    rectfill(title, x + 1, y + 1, x + w - 2, y + h - 3, shade(Grey, 11));
    hline(title, x + 2, y + 1, x + w - 3, shade(Grey, 14));
    textout_centre_ex(title, font, label, x + w / 2, y + 5, shade(Grey, 2), -1);
}

void drawArrowCap(BITMAP* title, int x, int y, int dir) {
    drawKeyCap(title, x, y, 20, "");
    const int cx = x + 10, cy = y + 8, c = shade(Grey, 2);
    switch (dir) {
        case 0:
            triangle(title, cx - 4, cy, cx + 2, cy - 5, cx + 2, cy + 5, c);
            break;  // left
        case 1:
            triangle(title, cx + 4, cy, cx - 2, cy - 5, cx - 2, cy + 5, c);
            break;  // right
        case 2:
            triangle(title, cx, cy - 4, cx - 5, cy + 3, cx + 5, cy + 3, c);
            break;  // up
        default:
            triangle(title, cx, cy + 4, cx - 5, cy - 3, cx + 5, cy - 3, c);
            break;
    }
}

void drawTitleFrameTwo(BITMAP* title) {
    const int ox = titleFrameWidth;
    // A darkened panel over the sky keeps the instructions easy to read.
    rectfill(title, ox + 12, 20, ox + 307, 283, outlineIndex);
    rectfill(title, ox + 13, 21, ox + 306, 282, shade(Space, 2));
    rect(title, ox + 15, 23, ox + 304, 280, shade(Steel, 5));
    drawBigTextCentred(title, "HOW TO FLY", ox + 160, 32, 3, 3, {Gold, 15, 6, 2});
    const int textColour = shade(Grey, 15), hintColour = shade(Ice, 10);
    drawArrowCap(title, ox + 36, 70, 0);
    drawArrowCap(title, ox + 60, 70, 1);
    textout_ex(title, font, "STEER LEFT / RIGHT", ox + 96, 76, textColour, -1);
    drawArrowCap(title, ox + 36, 100, 2);
    drawArrowCap(title, ox + 60, 100, 3);
    textout_ex(title, font, "CLIMB / SINK", ox + 96, 106, textColour, -1);
    drawKeyCap(title, ox + 36, 130, 44, "SPACE");
    textout_ex(title, font, "FIRE", ox + 96, 136, textColour, -1);
    drawKeyCap(title, ox + 36, 160, 44, "ESC");
    textout_ex(title, font, "QUIT", ox + 96, 166, textColour, -1);
    hline(title, ox + 30, 190, ox + 289, shade(Steel, 5));
    drawDiverSprite(title, ox + 46, 200, 20);
    textout_ex(title, font, "DIVERS SWOOP DOWN", ox + 96, 206, hintColour, -1);
    drawGunnerSprite(title, ox + 40, 224, 40, 2);
    textout_ex(title, font, "GUNNERS SHOOT BACK", ox + 96, 234, hintColour, -1);
    drawBigTextCentred(title, "PRESS S TO START", ox + 160, 260, 2, 2, {Grey, 15, 9, 0});
}

}  // namespace

BITMAP* makeTitleSheet(BITMAP* backdrop) {
    BITMAP* title = create_bitmap_ex(8, 2 * titleFrameWidth, titleHeight);
    blit(backdrop, title, 0, 120, 0, 0, titleFrameWidth, titleHeight);
    blit(backdrop, title, 0, 300, titleFrameWidth, 0, titleFrameWidth, titleHeight);
    drawTitleFrameOne(title);
    drawTitleFrameTwo(title);
    keepScoreCornerPlain(title, 0);
    keepScoreCornerPlain(title, titleFrameWidth);
    return title;
}

}  // namespace art
