// draw_kit.h -- small drawing tools shared by the pictures: repeatable randomness, tiling
// noise, ordered dithering and the shading that turns flat shapes into lit pixel art
#pragma once

#include <allegro.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "palette.h"

namespace art {

// A tiny generator with a fixed formula, so every run and every machine draws the same stars.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double unit() { return (next() >> 8) / 16777216.0; }  // [0, 1)
    int range(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1));
    }

private:
    uint32_t state_;
};

// Smooth value noise in [0, 1] that repeats every periodX lattice cells across and periodY
// down; octaves add finer detail with the same periods doubled, so the sum still tiles.
double tilingNoise(double x, double y, int periodX, int periodY, uint32_t seed, int octaves);

// 4 x 4 Bayer threshold in [0, 1): adding it before rounding dithers smooth shades.
double ditherThreshold(int x, int y);

inline double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
inline double smoothStep(double lo, double hi, double v) {
    double t = clamp01((v - lo) / (hi - lo));
    return t * t * (3 - 2 * t);
}

// How a part of a shape is coloured: its ramp and middle shade, how much brighter its top
// is than its bottom, and how strongly its edges catch the light from the upper left.
struct PartStyle {
    Ramp ramp;
    int level;
    int gradient;
    int bevel;
};

// Colours a part map (an 8-bit bitmap whose pixel values are part numbers, 0 for nothing)
// into dest at (dx, dy) using styles[part]; then, if outline is true, rings the shape with
// a one-pixel dark outline inside the part map's own bounds.
void shadeParts(BITMAP* parts, const PartStyle* styles, BITMAP* dest, int dx, int dy, bool outline);

// Draws shapes given in design units (a sprite's design grid) onto a part map at a scale,
// with Allegro's filled primitives.
struct Pen {
    BITMAP* bmp;
    double scale;
    double originX = 0, originY = 0;

    int px(double x) const { return static_cast<int>(originX + x * scale + 0.5); }
    int py(double y) const { return static_cast<int>(originY + y * scale + 0.5); }
    void poly(int part, const std::vector<std::pair<double, double>>& points) const;
    void ellipse(int part, double cx, double cy, double rx, double ry) const;
    void rect(int part, double x1, double y1, double x2, double y2) const;
};

}  // namespace art
