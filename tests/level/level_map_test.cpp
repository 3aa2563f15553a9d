// level_map_test.cpp -- the level in the map, the level data reader, item conversion
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "state/level.h"
#include "support/headless_session.h"

namespace {

struct PlacedCell {
    int row, column;
    int32_t code;
};

// Every non-zero cell of the level, by row and then column, as the level designer laid it out.
const PlacedCell placedCells[] = {
    {1, 1, 1014},  {9, 6, 59},    {16, 24, 60},  {23, 15, 1},   {29, 16, 48},  {34, 26, 59},
    {36, 5, 61},   {40, 5, 47},   {40, 27, 46},  {49, 14, 42},  {55, 23, 43},  {56, 5, 44},
    {59, 15, 45},  {63, 23, 62},  {64, 5, 41},   {73, 21, 40},  {78, 18, 63},  {86, 6, 39},
    {89, 12, 38},  {98, 6, 65},   {100, 24, 37}, {110, 6, 36},  {111, 14, 58}, {117, 21, 33},
    {121, 14, 35}, {128, 5, 66},  {129, 22, 34}, {135, 4, 31},  {135, 10, 30}, {145, 6, 32},
    {145, 22, 29}, {155, 27, 57}, {157, 14, 28}, {163, 6, 27},  {165, 18, 26}, {171, 23, 25},
    {175, 11, 24}, {177, 25, 67}, {182, 12, 56}, {185, 6, 23},  {185, 22, 22}, {194, 12, 19},
    {198, 5, 21},  {199, 26, 20}, {205, 11, 18}, {212, 24, 17}, {216, 19, 68}, {221, 2, 14},
    {227, 25, 55}, {229, 11, 16}, {247, 5, 11},  {247, 20, 12}, {249, 4, 54},  {258, 6, 5},
    {258, 24, 9},  {266, 16, 70}, {273, 21, 6},  {274, 11, 3},  {275, 5, 8},   {276, 18, 53},
    {286, 8, 2},
};

constexpr int itemCount = levelRows * levelColumns;

using Map = std::vector<int32_t>;

Map copyOfMap() {
    return Map(&levelMap[0][0], &levelMap[0][0] + (levelRows + 1) * (levelColumns + 1));
}

int32_t expectedCode(int row, int column) {
    for (const PlacedCell& c : placedCells) {
        if (c.row == row && c.column == column) return c.code;
    }
    return 0;
}

}  // namespace

// The map as start-up leaves it: initSession has loaded the level.
using LevelContent = HeadlessGame;

TEST_F(LevelContent, HoldsEveryPlacedEnemyMarkerAndInertCode) {
    ASSERT_EQ(std::size(placedCells), 61u);
    for (const PlacedCell& c : placedCells) {
        EXPECT_EQ(levelMap[c.row][c.column], c.code) << "row " << c.row << ", column " << c.column;
    }
}

TEST_F(LevelContent, EveryOtherCellIsEmptyIncludingRowZeroAndColumnZero) {
    int mismatches = 0;
    for (int row = 0; row <= levelRows; ++row) {
        for (int column = 0; column <= levelColumns; ++column) {
            const int32_t expected = expectedCode(row, column);
            if (levelMap[row][column] != expected && ++mismatches <= 10) {
                ADD_FAILURE() << "row " << row << ", column " << column << " holds "
                              << levelMap[row][column] << ", expected " << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(LevelContent, EachEnemyCodeDrivesOneSlotExceptTheUnreachableRepeat) {
    // Two cells with one code would drive one slot; only 59 repeats, and its row 9 copy
    // never enters the 31-row window (rows 15..300 are ever in play).
    int diverCells = 0, gunnerCells = 0, shipMarkers = 0;
    for (int row = 1; row <= levelRows; ++row) {
        for (int column = 1; column <= levelColumns; ++column) {
            const int32_t code = levelMap[row][column];
            if (code == shipMarkerCode) ++shipMarkers;
            if (code >= firstDiverCode && code <= lastDiverCode) ++diverCells;
            if (code >= firstGunnerCode && code <= lastGunnerCode) ++gunnerCells;
            if (code < firstDiverCode || code > lastGunnerCode) continue;
            for (int other = row + 1; other <= row + 30 && other <= levelRows; ++other) {
                for (int c = 1; c <= levelColumns; ++c) {
                    if (levelMap[other][c] == code && row >= 15) {
                        ADD_FAILURE() << "code " << code << " twice in one window: rows " << row
                                      << " and " << other;
                    }
                }
            }
        }
    }
    EXPECT_EQ(diverCells, 42);
    EXPECT_EQ(gunnerCells, 17);
    EXPECT_EQ(shipMarkers, 1);
}

using LevelLoad = HeadlessGame;

TEST_F(LevelLoad, TwoLoadsInARowGiveIdenticalMaps) {
    const Map first = copyOfMap();
    loadLevel(1);
    EXPECT_EQ(copyOfMap(), first);
    loadLevel(1);
    EXPECT_EQ(copyOfMap(), first);
}

TEST_F(LevelLoad, NeverWritesRowZeroOrColumnZero) {
    for (int column = 0; column <= levelColumns; ++column) levelMap[0][column] = -7;
    for (int row = 0; row <= levelRows; ++row) levelMap[row][0] = -7;
    loadLevel(1);
    for (int column = 0; column <= levelColumns; ++column) EXPECT_EQ(levelMap[0][column], -7);
    for (int row = 0; row <= levelRows; ++row) EXPECT_EQ(levelMap[row][0], -7);
    levelMap[0][0] = 0;
    for (int column = 1; column <= levelColumns; ++column) levelMap[0][column] = 0;
    for (int row = 1; row <= levelRows; ++row) levelMap[row][0] = 0;
}

TEST_F(LevelLoad, RepairsACellThatWasOverwritten) {
    levelMap[23][15] = 0;
    levelMap[286][8] = 99;
    loadLevel(1);
    EXPECT_EQ(levelMap[23][15], shipMarkerCode);
    EXPECT_EQ(levelMap[286][8], 2);
}

TEST_F(LevelLoad, WithoutRewindAfterAFullLoadReadsOnlyZeros) {
    loadLevel(0);
    for (int row = 1; row <= levelRows; ++row) {
        for (int column = 1; column <= levelColumns; ++column) {
            ASSERT_EQ(levelMap[row][column], 0) << "row " << row << ", column " << column;
        }
    }
    loadLevel(1);
    EXPECT_EQ(levelMap[1][1], 1014);
}

using LevelReader = HeadlessGame;

TEST_F(LevelReader, ReadsExactlyOneItemPerCellThenZerosUntilRewound) {
    rewindLevelData();
    EXPECT_EQ(readLevelItem(), 1014);
    EXPECT_EQ(readLevelItem(), 0);
    for (int i = 2; i < itemCount; ++i) {
        ASSERT_LT(static_cast<size_t>(levelDataCursor), std::strlen(levelData))
            << "the data ran out after " << i << " items";
        readLevelItem();
    }
    EXPECT_EQ(static_cast<size_t>(levelDataCursor), std::strlen(levelData))
        << "items left over after " << itemCount;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(readLevelItem(), 0);
    EXPECT_EQ(static_cast<size_t>(levelDataCursor), std::strlen(levelData));
    rewindLevelData();
    EXPECT_EQ(readLevelItem(), 1014);
}

TEST_F(LevelReader, ALoadLeavesTheReaderAtTheEnd) {
    loadLevel(1);
    EXPECT_EQ(readLevelItem(), 0);
    EXPECT_EQ(readLevelItem(), 0);
}

TEST_F(LevelReader, GoesStraightOnFromOneLineToTheNext) {
    rewindLevelData();
    for (int i = 0; i < levelColumns * 8 + 5; ++i) readLevelItem();
    EXPECT_EQ(readLevelItem(), 59) << "row 9, column 6";
}

namespace {
int32_t convert(const char* text) { return convertLevelItem(text, text + std::strlen(text)); }
}  // namespace

TEST(LevelItemConversion, ReadsADecimalNumeralAfterLeadingSpaces) {
    EXPECT_EQ(convert("0"), 0);
    EXPECT_EQ(convert("1014"), 1014);
    EXPECT_EQ(convert("   12"), 12);
    EXPECT_EQ(convert("007"), 7);
}

TEST(LevelItemConversion, GivesZeroWhenThereIsNoNumeral) {
    EXPECT_EQ(convert(""), 0);
    EXPECT_EQ(convert("    "), 0);
    EXPECT_EQ(convert("abc"), 0);
    EXPECT_EQ(convert("x12"), 0);
    EXPECT_EQ(convert("-"), 0);
    EXPECT_EQ(convert("- 5"), 0);
}

TEST(LevelItemConversion, StopsAtTheFirstCharacterThatIsNotADigit) {
    EXPECT_EQ(convert("12abc"), 12);
    EXPECT_EQ(convert("12 34"), 12);
    EXPECT_EQ(convert("  5-3"), 5);
}

TEST(LevelItemConversion, TakesAnOptionalSign) {
    EXPECT_EQ(convert("-12"), -12);
    EXPECT_EQ(convert("+12"), 12);
    EXPECT_EQ(convert("  -40x"), -40);
    EXPECT_EQ(convert("--1"), 0);
}

TEST(LevelItemConversion, ReadsOnlyTheGivenRange) {
    const char text[] = "1234";
    EXPECT_EQ(convertLevelItem(text, text + 2), 12);
    EXPECT_EQ(convertLevelItem(text, text), 0);
}

TEST(LevelItemConversion, SaturatesValuesBeyondThirtyTwoBits) {
    EXPECT_EQ(convert("2147483647"), INT32_MAX);
    EXPECT_EQ(convert("-2147483648"), INT32_MIN);
    EXPECT_EQ(convert("2147483648"), INT32_MAX);
    EXPECT_EQ(convert("-2147483649"), INT32_MIN);
    EXPECT_EQ(convert("99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(convert("-99999999999999999999999"), INT32_MIN);
}
