// level.cpp -- reading the embedded level data into the level map
#include "state/level.h"

#include <cstdint>

int32_t levelMap[levelRows + 1][levelColumns + 1];
int32_t levelDataCursor = 0;

namespace {
bool isItemEnd(char c) {
    return c == ',' || c == '\n' || c == '\0';
}
}  // namespace

void rewindLevelData() {
    levelDataCursor = 0;
}

int32_t convertLevelItem(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && *p == ' ') ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (value <= INT32_MAX) value = value * 10 + (*p - '0');
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t readLevelItem() {
    const char* begin = levelData + levelDataCursor;
    if (*begin == '\0') return 0;
    const char* end = begin;
    while (!isItemEnd(*end)) ++end;
    int32_t value = convertLevelItem(begin, end);
    levelDataCursor = static_cast<int32_t>(end - levelData) + (*end == '\0' ? 0 : 1);
    return value;
}

void loadLevel(int32_t restart) {
    if (restart == 1) rewindLevelData();
    for (int row = 1; row <= levelRows; ++row) {
        for (int column = 1; column <= levelColumns; ++column) {
            levelMap[row][column] = readLevelItem();
        }
    }
}
