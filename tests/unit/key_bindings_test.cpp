// key_bindings_test.cpp -- a [keys] section read: the keys a player chose, and for each line
// that cannot be used the one message naming it, that action keeping its default
#include "config/key_bindings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {
struct Row {
    const char* text;      // the settings file
    const char* printed;   // --keys, the lines that differ from the defaults only
    const char* messages;  // what is said on standard error, less "driftwing: s.cfg: "
};

const Row rows[] = {
    {"[keys]\nleft = A\nfire = LCONTROL space\n", "left = A\nfire = LCONTROL SPACE\n", ""},
    {"[Keys]\n Fire=lcontrol \r\n", "fire = LCONTROL\n", ""},
    {"[display]\nleft = A\n[keys]\n", "", ""},
    {"[keys]\nfire = SPACE SPACE\n", "", ""},
    {"[keys]\njump = A\n", "",
     "line 2: 'jump' is no action (left, right, up, down, fire, start, pause, quit, fullscreen, "
     "mute, screenshot, quieter, louder)\n"},
    {"[keys]\nfire = OPENBRACE\n", "", "line 2: OPENBRACE is quieter's key too; fire keeps SPACE\n"},
    {"[keys]\nleft = Q Z\nleft = B\n", "left = Q Z\n",
     "line 3: left is set again on line 2; that one stands\n"},
    {"[keys]\nleft = CTRL\n", "", "line 2: 'CTRL' is no key name; left keeps LEFT\n"},
    {"[keys]\nleft =\n", "", "line 2: no key given; left keeps LEFT\n"},
    {"[keys]\nleft = A B C\n", "", "line 2: more than two keys; left keeps LEFT\n"},
    // A key two actions share: the chosen one gives way, the later line when both are.
    {"[keys]\nfire = LEFT\n", "", "line 2: LEFT is left's key too; fire keeps SPACE\n"},
    {"[keys]\nleft = SPACE\n", "", "line 2: SPACE is fire's key too; left keeps LEFT\n"},
    {"[keys]\nleft = A\nright = A\n", "left = A\n",
     "line 3: A is left's key too; right keeps RIGHT\n"},
    // Left gives way to mute, and its default then meets right's choice: right gives way.
    {"[keys]\nright = LEFT\nleft = M\n", "",
     "line 3: M is mute's key too; left keeps LEFT\n"
     "line 2: LEFT is left's key too; right keeps RIGHT\n"},
    {"[keys]\nmute = F1\nleft = M\n", "left = M\nmute = F1\n", ""},
};

std::string captured(std::FILE* f) {
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    return text;
}

// The lines of `all` not in `usual`.
std::string changed(const std::string& all, const std::string& usual) {
    std::string out;
    size_t at = 0;
    while (at < all.size()) {
        const size_t end = all.find('\n', at) + 1;
        const std::string line = all.substr(at, end - at);
        if (usual.find(line) == std::string::npos) out += line;
        at = end;
    }
    return out;
}
}  // namespace

TEST(KeyBindings, EachLineUsedOrNamedWithTheDefaultKept) {
    std::FILE* usualOut = std::tmpfile();
    printKeyBindings(defaultKeyBindings(), usualOut);
    const std::string usual = captured(usualOut);
    std::fclose(usualOut);
    for (const Row& row : rows) {
        std::FILE* errors = std::tmpfile();
        std::FILE* out = std::tmpfile();
        const KeyBindings b = readKeyBindings(settingsOfText(row.text), "s.cfg", errors);
        printKeyBindings(b, out);
        const std::string said = captured(errors);
        EXPECT_EQ(changed(captured(out), usual), row.printed) << row.text;
        std::string expected;
        for (const char* m = row.messages; *m;) {
            const char* end = std::strchr(m, '\n') + 1;
            expected += "driftwing: s.cfg: " + std::string(m, end);
            m = end;
        }
        EXPECT_EQ(said, expected) << row.text;
        std::fclose(errors);
        std::fclose(out);
    }
}
