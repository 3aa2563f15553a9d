// draw_kit.cpp -- noise, dithering and part shading for the generated pictures
#include "draw_kit.h"

#include <cmath>
#include <vector>

namespace art {
namespace {

double latticeValue(int ix, int iy, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(ix) * 374761393u + static_cast<uint32_t>(iy) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / 16777215.0;
}

int wrap(int v, int period) {
    int m = v % period;
    return m < 0 ? m + period : m;
}

double valueNoise(double x, double y, int periodX, int periodY, uint32_t seed) {
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    int ax = wrap(x0, periodX), bx = wrap(x0 + 1, periodX);
    int ay = wrap(y0, periodY), by = wrap(y0 + 1, periodY);
    double top = latticeValue(ax, ay, seed) * (1 - fx) + latticeValue(bx, ay, seed) * fx;
    double bottom = latticeValue(ax, by, seed) * (1 - fx) + latticeValue(bx, by, seed) * fx;
    return top * (1 - fy) + bottom * fy;
}

}  // namespace

double tilingNoise(double x, double y, int periodX, int periodY, uint32_t seed, int octaves) {
    double sum = 0, weight = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += valueNoise(x, y, periodX, periodY, seed + o * 977u) * weight;
        total += weight;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
        weight *= 0.5;
    }
    return sum / total;
}

double ditherThreshold(int x, int y) {
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (bayer[y & 3][x & 3] + 0.5) / 16.0;
}

void shadeParts(BITMAP* parts, const PartStyle* styles, BITMAP* dest, int dx, int dy,
                bool outline) {
    const int w = parts->w, h = parts->h;
    auto partAt = [&](int x, int y) {
        return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : getpixel(parts, x, y);
    };
    // Each part's vertical extent, for its top-to-bottom gradient.
    std::vector<int> top(256, h), bottom(256, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int p = partAt(x, y);
            if (p == 0) continue;
            if (y < top[p]) top[p] = y;
            if (y > bottom[p]) bottom[p] = y;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int p = partAt(x, y);
            if (p == 0) {
                if (outline &&
                    (partAt(x - 1, y) || partAt(x + 1, y) || partAt(x, y - 1) || partAt(x, y + 1)))
                    putpixel(dest, dx + x, dy + y, outlineIndex);
                continue;
            }
            const PartStyle& s = styles[p];
            int level = s.level;
            int span = bottom[p] - top[p];
            if (span > 0)
                level +=
                    static_cast<int>(std::lround(s.gradient * (1.0 - 2.0 * (y - top[p]) / span)));
            bool litEdge = partAt(x - 1, y) != p || partAt(x, y - 1) != p;
            bool shadowEdge = partAt(x + 1, y) != p || partAt(x, y + 1) != p;
            if (litEdge && !shadowEdge) level += s.bevel;
            if (shadowEdge && !litEdge) level -= s.bevel;
            putpixel(dest, dx + x, dy + y, shade(s.ramp, level));
        }
}

void Pen::poly(int part, const std::vector<std::pair<double, double>>& points) const {
    std::vector<int> xy;
    for (const auto& p : points) {
        xy.push_back(px(p.first));
        xy.push_back(py(p.second));
    }
    polygon(bmp, static_cast<int>(points.size()), xy.data(), part);
}

void Pen::ellipse(int part, double cx, double cy, double rx, double ry) const {
    int rxp = static_cast<int>(rx * scale + 0.5), ryp = static_cast<int>(ry * scale + 0.5);
    ellipsefill(bmp, px(cx), py(cy), rxp < 1 ? 1 : rxp, ryp < 1 ? 1 : ryp, part);
}

void Pen::rect(int part, double x1, double y1, double x2, double y2) const {
    rectfill(bmp, px(x1), py(y1), px(x2), py(y2), part);
}

}  // namespace art
