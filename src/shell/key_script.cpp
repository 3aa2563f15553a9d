// key_script.cpp -- reading a key script or a recording line by line
#include "shell/key_script.h"

#include <cstring>
#include <limits>

#include "shell/keys.h"

namespace {
struct KeyName {
    std::string_view name;
    uint32_t bit;
};
constexpr KeyName keyNames[] = {
    {"ESC", HeldEsc},   {"LEFT", HeldLeft},   {"RIGHT", HeldRight}, {"UP", HeldUp},
    {"DOWN", HeldDown}, {"SPACE", HeldSpace}, {"S", HeldS},
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Splits off the next blank-separated word of `rest`; empty when none is left.
std::string_view nextWord(std::string_view& rest) {
    size_t start = 0;
    while (start < rest.size() && isBlank(rest[start])) ++start;
    size_t end = start;
    while (end < rest.size() && !isBlank(rest[end])) ++end;
    std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

// COUNT: decimal digits only, 1 .. 2^31-1. Returns 0 when it is not such a number.
int32_t readCount(std::string_view word, std::string& error) {
    if (word.empty()) {
        error = "missing frame count";
        return 0;
    }
    int64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            error = "frame count '" + std::string(word) + "' is not a whole number of frames";
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int32_t>::max()) {
            error = "frame count '" + std::string(word) + "' is too large (at most 2147483647)";
            return 0;
        }
    }
    if (value == 0) error = "frame count must be at least 1";
    return static_cast<int32_t>(value);
}

// KEYS: '-' or names joined by '+'. Returns false with a message for anything else.
bool readKeys(std::string_view word, uint32_t& keys, std::string& error) {
    keys = 0;
    if (word.empty()) {
        error = "missing keys ('-' for none)";
        return false;
    }
    if (word == "-") return true;
    while (true) {
        size_t plus = word.find('+');
        std::string_view name = word.substr(0, plus);
        uint32_t bit = keyOfName(name);
        if (bit == 0) {
            error = name.empty() ? "empty key name in '" + std::string(word) + "'"
                                 : "unknown key '" + std::string(name) + "'";
            return false;
        }
        keys |= bit;
        if (plus == std::string_view::npos) return true;
        word.remove_prefix(plus + 1);
    }
}

// A comment's state check: "frame N state DIGEST" or "end frame N state DIGEST".
void readCheck(std::string_view comment, KeyScript& script) {
    std::string_view rest = comment;
    std::string_view word = nextWord(rest);
    const bool end = word == "end";
    if (end) word = nextWord(rest);
    std::string_view frame = nextWord(rest), state = nextWord(rest), digest = nextWord(rest);
    if (word != "frame" || frame.empty() || state != "state" || digest.size() != 16 ||
        !nextWord(rest).empty())
        return;
    StateCheck check{0, 0};
    for (char c : frame) {
        if (c < '0' || c > '9' || check.frame > (int64_t{1} << 50)) return;
        check.frame = check.frame * 10 + (c - '0');
    }
    for (char c : digest) {
        const char* hex = "0123456789abcdef";
        const char* at = c ? std::strchr(hex, c) : nullptr;
        if (!at) return;
        check.digest = check.digest << 4 | static_cast<uint64_t>(at - hex);
    }
    script.checks.push_back(check);
    script.ended = end;
}
}  // namespace

void writeKeyNames(uint32_t keys, char* text) {
    *text = '\0';
    for (const KeyName& k : keyNames) {
        if (!(keys & k.bit)) continue;
        if (*text) std::strcat(text, "+");
        std::strncat(text, k.name.data(), k.name.size());
    }
    if (!*text) std::strcpy(text, "-");
}

uint32_t keyOfName(std::string_view name) {
    for (const KeyName& k : keyNames) {
        if (k.name == name) return k.bit;
    }
    return 0;
}

KeyScript parseKeyScript(std::string_view text) {
    KeyScript script;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

        size_t hash = line.find('#');
        if (hash != std::string_view::npos) {
            readCheck(line.substr(hash + 1), script);
            line = line.substr(0, hash);
        }
        std::string_view rest = line;
        std::string_view countWord = nextWord(rest);
        if (countWord.empty()) continue;  // blank or comment only
        std::string_view keysWord = nextWord(rest);
        std::string_view extra = nextWord(rest);

        KeyScriptLine parsed{};
        std::string error;
        parsed.count = readCount(countWord, error);
        if (error.empty()) readKeys(keysWord, parsed.keys, error);
        if (error.empty() && !extra.empty())
            error = "unexpected '" + std::string(extra) + "' after the keys";
        if (!error.empty()) {
            script.lines.clear();
            script.errorLine = lineNumber;
            script.error = error;
            return script;
        }
        script.lines.push_back(parsed);
    }
    return script;
}
