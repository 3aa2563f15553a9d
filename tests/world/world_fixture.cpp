// world_fixture.cpp -- frame composition from the sprite sheet, and the game set-up for world tests
#include "world_fixture.h"

#include <allegro.h>

#include <cstring>
#include <sstream>

#include "state/assets.h"
#include "state/level.h"

namespace {
constexpr int frameWidth = 320;
constexpr int frameHeight = 300;

int sheetPixel(int x, int y) { return getpixel(spriteSheet, x, y); }
}  // namespace

Placed shipPicture(int frame, int x, int y) { return {40 * (frame - 1), 180, 40, 40, x, y}; }

Placed gunnerPicture(int frame, int x, int y) { return {40 * (frame - 1), 220, 40, 40, x, y}; }

Placed explosionPicture(int frame, int x, int y) {
    static const int sourceX[16] = {0,   63,  126, 190, 252, 316, 378, 442,
                                    503, 566, 630, 693, 754, 819, 889, 938};
    return {sourceX[frame - 1], 538, 62, 62, x, y};
}

Placed diverPicture(int x, int y) { return {0, 0, 20, 20, x, y}; }

Placed shotPicture(int x, int y) { return {30, 0, 10, 10, x, y}; }

void fillFrame() { clear_to_color(backBuffer, backgroundColour); }

::testing::AssertionResult frameShows(const std::vector<Placed>& pictures) {
    std::vector<int> expected(frameWidth * frameHeight, backgroundColour);
    for (const Placed& p : pictures) {
        for (int j = 0; j < p.height; ++j) {
            for (int i = 0; i < p.width; ++i) {
                const int x = p.x + i, y = p.y + j;
                if (x < 0 || y < 0 || x >= frameWidth || y >= frameHeight) continue;
                const int c = sheetPixel(p.sourceX + i, p.sourceY + j);
                if (c != 0) expected[y * frameWidth + x] = c;
            }
        }
    }
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < frameHeight; ++y) {
        for (int x = 0; x < frameWidth; ++x) {
            const int actual = getpixel(backBuffer, x, y);
            if (actual == expected[y * frameWidth + x]) continue;
            if (wrong++ == 0) {
                first << "first at (" << x << ", " << y << "): expected colour "
                      << expected[y * frameWidth + x] << ", found " << actual;
            }
        }
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ, " << first.str();
}

::testing::AssertionResult inkShows(const Placed& p) {
    for (int j = 0; j < p.height; ++j) {
        for (int i = 0; i < p.width; ++i) {
            const int c = sheetPixel(p.sourceX + i, p.sourceY + j);
            if (c != 0 && getpixel(backBuffer, p.x + i, p.y + j) != c) {
                return ::testing::AssertionFailure()
                       << "ink missing at (" << p.x + i << ", " << p.y + j << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

bool hasInkAndMask(const Placed& p) {
    bool ink = false, mask = false;
    for (int j = 0; j < p.height; ++j) {
        for (int i = 0; i < p.width; ++i) {
            (sheetPixel(p.sourceX + i, p.sourceY + j) == 0 ? mask : ink) = true;
        }
    }
    return ink && mask;
}

bool picturesDiffer(const Placed& a, const Placed& b) {
    for (int j = 0; j < a.height; ++j) {
        for (int i = 0; i < a.width; ++i) {
            if (sheetPixel(a.sourceX + i, a.sourceY + j) !=
                sheetPixel(b.sourceX + i, b.sourceY + j)) {
                return true;
            }
        }
    }
    return false;
}

void stampFramesApart() {
    std::vector<Placed> pictures;
    for (int frame = 1; frame <= 4; ++frame) {
        pictures.push_back(shipPicture(frame, 0, 0));
        pictures.push_back(gunnerPicture(frame, 0, 0));
    }
    for (int frame = 1; frame <= 16; ++frame) pictures.push_back(explosionPicture(frame, 0, 0));
    for (size_t n = 0; n < pictures.size(); ++n) {
        const int at = 4 + static_cast<int>(n);  // a different place and colour in each
        const int left = pictures[n].sourceX + at, top = pictures[n].sourceY + at % 30;
        rectfill(spriteSheet, left, top, left + 2, top + 2, 200 + static_cast<int>(n));
    }
}

void WorldTest::SetUp() {
    HeadlessGame::SetUp();
    if (HasFatalFailure()) return;  // no assets: nothing to stamp
    stampFramesApart();
    newGame();
}

void WorldTest::TearDown() { loadLevel(1); }

void WorldTest::newGame() {
    game.gameMode = Title;
    resetGame();
    game.gameMode = Playing;
    std::memset(levelMap, 0, sizeof levelMap);
    game.shipX = 0;
    game.shipY = 0;
    clearRecordedSounds();
    fillFrame();
}

void WorldTest::flyPlayerShot(int slot, int x, int y) { game.playerShots[slot] = {Flying, x, y}; }

int WorldTest::blastsPlayed() const {
    int blasts = 0;
    for (const RecordedSound& s : recordedSounds()) {
        if (s.cue != "blast") continue;
        ++blasts;
        EXPECT_EQ(s.volume, 255);
        EXPECT_EQ(s.pan, 150);
        EXPECT_EQ(s.frequency, 1000);
        EXPECT_EQ(s.loop, 0);
    }
    return blasts;
}
