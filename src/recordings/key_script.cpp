// key_script.cpp -- reading a key script or a recording line by line
#include "recordings/key_script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "state/keys.h"
#include "system/text.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

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

// COUNT: decimal digits only, 1 .. maxRunFrames. Returns 0 when it is not such a number.
int32_t readCount(std::string_view word, std::string& error) {
    if (word.empty()) {
        error = "missing frame count";
        return 0;
    }
    int64_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            error = "frame count '" + safeText(word) + "' is not a whole number of frames";
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > maxRunFrames) {
            error = "frame count '" + safeText(word) + "' is too large (at most " +
                    std::to_string(maxRunFrames) + ", ten hours)";
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
            error = name.empty() ? "empty key name in '" + safeText(word) + "'"
                                 : "unknown key '" + safeText(name) + "'";
            return false;
        }
        keys |= bit;
        if (plus == std::string_view::npos) return true;
        word.remove_prefix(plus + 1);
    }
}

bool hasWord(std::string_view rest, std::string_view wanted) {
    for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest))
        if (word == wanted) return true;
    return false;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A comment's state note: "frame N state DIGEST" or "end frame N state DIGEST". A comment
// that is no note is passed over; a note that is not well formed is an error.
void readCheck(std::string_view comment, KeyScript& script, std::string& error) {
    std::string_view rest = comment;
    std::string_view word = nextWord(rest);
    if ((word != "frame" && word != "end") || !hasWord(rest, "state")) return;
    const bool end = word == "end";
    if (end) word = nextWord(rest);
    std::string_view frame = nextWord(rest), state = nextWord(rest), digest = nextWord(rest);
    if (word != "frame" || state != "state" || !nextWord(rest).empty()) {
        error = "a state note reads '# [end] frame N state DIGEST', not '#" + safeText(comment) + "'";
        return;
    }
    constexpr int64_t latestFrame = int64_t{1} << 50;
    StateCheck check{0, 0};
    for (char c : frame) {
        const bool digit = c >= '0' && c <= '9';
        check.frame = digit && check.frame <= latestFrame ? check.frame * 10 + (c - '0') : -1;
        if (check.frame < 0) break;
    }
    if (check.frame <= 0 || check.frame > latestFrame) {
        error = "the state note's frame '" + safeText(frame) + "' is not a frame number";
        return;
    }
    const auto isHex = [](char c) { return hexDigit(c) >= 0; };
    if (digest.size() != 16 || !std::all_of(digest.begin(), digest.end(), isHex)) {
        error = "the state note's digest '" + safeText(digest) + "' is not 16 hex digits";
        return;
    }
    for (char c : digest) check.digest = check.digest << 4 | static_cast<uint64_t>(hexDigit(c));
    if (script.ended) {
        error = "a state note after the closing one";
        return;
    }
    if (!script.checks.empty() && check.frame <= script.checks.back().frame) {
        error = "the state note's frame " + std::to_string(check.frame) + " is not after the last";
        return;
    }
    script.checks.push_back(check);
    script.ended = end;
}
}  // namespace

void writeKeyNames(uint32_t keys, char* text) {
    *text = '\0';
    for (const GameKeyName& k : gameKeys) {
        if (!(keys & k.bit)) continue;
        if (*text) std::strcat(text, "+");
        std::strncat(text, k.name.data(), k.name.size());
    }
    if (!*text) std::strcpy(text, "-");
}

uint32_t keyOfName(std::string_view name) {
    for (const GameKeyName& k : gameKeys) {
        if (k.name == name) return k.bit;
    }
    return 0;
}

KeyScript parseKeyScript(std::string_view text) {
    KeyScript script;
    constexpr std::string_view byteOrderMark = "\xef\xbb\xbf";
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark)
        text.remove_prefix(byteOrderMark.size());
    // A recording is written a whole line at a time; one that ends mid-line was cut there.
    const bool recording = text.substr(0, recordingHeader.size()) == recordingHeader;
    script.recording = recording;
    if (recording && !text.empty() && text.back() != '\n') {
        text.remove_suffix(text.size() - (text.rfind('\n') + 1));
        script.cutShort = true;
    }
    int lineNumber = 0;
    auto fail = [&](std::string error) {
        script.lines.clear();
        script.checks.clear();
        script.frames = 0;
        script.errorLine = lineNumber;
        script.error = std::move(error);
        return script;
    };
    while (!text.empty()) {
        ++lineNumber;
        size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);

        std::string error;
        size_t hash = line.find('#');
        if (hash != std::string_view::npos) {
            readCheck(line.substr(hash + 1), script, error);
            if (!error.empty()) return fail(error);
            line = line.substr(0, hash);
        }
        std::string_view rest = line;
        std::string_view countWord = nextWord(rest);
        if (countWord.empty()) continue;  // blank or comment only
        std::string_view keysWord = nextWord(rest);
        std::string_view extra = nextWord(rest);

        KeyScriptLine parsed{};
        parsed.count = readCount(countWord, error);
        if (error.empty()) readKeys(keysWord, parsed.keys, error);
        if (error.empty() && !extra.empty())
            error = "unexpected '" + safeText(extra) + "' after the keys";
        if (error.empty() && script.ended) error = "keys after the closing state note";
        if (error.empty() && script.frames + parsed.count > maxScriptFrames)
            error = "the keys go on past ten hours (" + std::to_string(maxScriptFrames) +
                    " frames)";
        if (!error.empty()) return fail(error);
        script.lines.push_back(parsed);
        script.frames += parsed.count;
    }
    return script;
}
