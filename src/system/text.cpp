// text.cpp -- quoting what the player or a file gave, safely, in one line
#include "system/text.h"

#include <cstdio>

std::string safeText(std::string_view text) {
    constexpr size_t longest = 40;
    std::string out;
    for (size_t i = 0; i < text.size() && i < longest; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    if (text.size() > longest) out += "...";
    return out;
}
