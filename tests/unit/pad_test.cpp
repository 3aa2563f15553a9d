// pad_test.cpp -- a pad's stick and buttons as the game's keys: which button does what,
// the [pad] settings that choose it, and a game played with the pad alone
#include "config/pad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "config/settings.h"
#include "config/settings_file.h"
#include "state/keys.h"

namespace {
constexpr uint32_t button(int n) { return 1u << (n - 1); }

PadChoice remapped(int fire, int start, int pause) {
    PadChoice choice;
    choice.fire = fire;
    choice.start = start;
    choice.pause = pause;
    return choice;
}
}  // namespace

TEST(Pad, StickAndButtonsAreTheGameKeys) {
    struct Row {
        PadState pad;
        PadChoice choice;
        uint32_t keys;
    };
    const Row rows[] = {
        {{true, false, false, false, 0}, {}, HeldLeft},
        {{false, true, true, false, 0}, {}, HeldRight | HeldUp},
        {{false, false, false, true, button(1)}, {}, HeldDown | HeldSpace},
        {{false, false, false, false, button(2)}, {}, HeldS},
        {{false, false, false, false, button(8) | button(3)}, {}, 0},  // pause is no game key
        {{false, false, false, false, button(1)}, remapped(3, 32, 1), 0},
        {{false, false, false, false, button(3) | button(32)},
         remapped(3, 32, 1),
         HeldSpace | HeldS},
        {{false, false, false, false, button(5)}, remapped(5, 5, 8), HeldSpace | HeldS},
    };
    for (const Row& r : rows)
        EXPECT_EQ(padKeys(r.pad, r.choice), r.keys)
            << "buttons " << std::hex << r.pad.buttons << " fire " << r.choice.fire;
}

TEST(Pad, PauseIsThePressNotTheHold) {
    struct Row {
        uint32_t before, now;
        int pause;
        bool pressed;
    };
    const Row rows[] = {{0, button(8), 8, true},   {button(8), button(8), 8, false},
                        {button(8), 0, 8, false},  {button(7), button(8) | button(7), 8, true},
                        {0, button(8), 10, false}, {button(9), button(10), 10, true}};
    for (const Row& r : rows)
        EXPECT_EQ(padPausePressed({false, false, false, false, r.before},
                                  {false, false, false, false, r.now}, remapped(1, 2, r.pause)),
                  r.pressed)
            << std::hex << r.before << " then " << r.now << " pause " << std::dec << r.pause;
}

TEST(Pad, SettingsChooseTheButtonsAndSayWhatTheyCannotUse) {
    struct Row {
        const char* text;
        int fire, start, pause;
        const char* device;
        const char* said;  // on standard error; "" for nothing
    };
    const Row rows[] = {
        {"", 1, 2, 8, "", ""},
        {"[Pad]\nFire = 3\nstart=4\n pause = 32 \ndevice = /dev/input/js1\n", 3, 4, 32,
         "/dev/input/js1", ""},
        {"[display]\nfire = 3\n[pad]\n", 1, 2, 8, "", ""},
        {"[pad]\nfire = 0\nstart = 5\n", 1, 5, 8, "",
         "driftwing: p.cfg: line 2: fire = '0' is not a button 1 to 32; using 1\n"},
        {"[pad]\n\npause = 33\n", 1, 2, 8, "", "line 3: pause = '33' is not a button"},
        {"[pad]\nstart = 02\n", 1, 2, 8, "", "line 2: start = '02'"},
        {"[pad]\nstart = +2\nfire = x\n", 1, 2, 8, "", "line 3: fire = 'x'"},
        {"[pad]\nfire =\n", 1, 2, 8, "", "line 2: fire = '' is not"},
        {"[pad]\nfire = 3\nFIRE = 4\n", 3, 2, 8, "", "line 3: fire is set again; line 2 stands"},
    };
    for (const Row& r : rows) {
        testing::internal::CaptureStderr();
        const PadChoice choice = settingsOf(settingsOfText(r.text), "p.cfg").pad;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(choice.fire, r.fire) << r.text;
        EXPECT_EQ(choice.start, r.start) << r.text;
        EXPECT_EQ(choice.pause, r.pause) << r.text;
        EXPECT_EQ(choice.device, r.device) << r.text;
        if (!*r.said) {
            EXPECT_EQ(said, "") << r.text;
        }
        EXPECT_NE(said.find(r.said), std::string::npos) << r.text << " said " << said;
        EXPECT_LE(std::count(said.begin(), said.end(), '\n'), 2) << r.text;
    }
}
