// text.h -- input shown in a message, the same safe way wherever the game names what it was given
#pragma once

#include <string>
#include <string_view>

// At most 40 bytes of TEXT, bytes other than printable ASCII written as \xNN, "..." when
// there was more.
std::string safeText(std::string_view text);
