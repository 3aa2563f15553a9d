// level_item_fuzz.cpp -- any bytes as one level data item: the conversion reads only
// inside the item and agrees with the standard library's own decimal reading
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "state/level.h"

namespace {
void require(bool condition) {
    if (!condition) std::abort();
}

// The item read with strtoll on a NUL-ended copy, clamped to 32 bits. strtoll skips
// every kind of white space, the level reader only spaces, so the copy starts after
// the spaces and anything strtoll would skip beyond them counts as "no digits".
int32_t expectedValue(const uint8_t* data, size_t size) {
    size_t start = 0;
    while (start < size && data[start] == ' ') ++start;
    std::string rest(reinterpret_cast<const char*>(data) + start, size - start);
    rest = rest.substr(0, std::strlen(rest.c_str()));  // stops at an embedded NUL, as strtoll does
    if (rest.empty()) return 0;
    size_t digits = (rest[0] == '+' || rest[0] == '-') ? 1 : 0;
    if (digits >= rest.size() || rest[digits] < '0' || rest[digits] > '9') return 0;
    long long value = std::strtoll(rest.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // libFuzzer's buffer ends exactly at size, so a read past the item is caught.
    const char* begin = reinterpret_cast<const char*>(data);
    int32_t value = convertLevelItem(begin, begin + size);
    require(value == expectedValue(data, size));
    return 0;
}
