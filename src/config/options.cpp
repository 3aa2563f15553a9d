// options.cpp -- the game's command line, read whole before anything starts
#include "config/options.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>

#include "config/key_bindings.h"
#include "system/text.h"

#ifndef DRIFTWING_VERSION
#define DRIFTWING_VERSION "unknown"
#endif

namespace {
const char* const usage =
    "usage: driftwing [--scale N|auto] [--fullscreen | --window] "
    "[--record FILE [--force] | --play FILE] [--volume N] [--music N] [--effects N] "
    "[--data DIR] [--keys] [--help] [--version]\n";

enum Slot { scale, display, record, force, play, data, volume, music, effects, keys, slots };

struct Option {
    std::string_view name;
    Slot slot;
    bool hasValue;
};
constexpr Option options[] = {
    {"--scale", scale, true},    {"--fullscreen", display, false}, {"--window", display, false},
    {"--record", record, true},  {"--force", force, false},        {"--play", play, true},
    {"--data", data, true},      {"--volume", volume, true},       {"--music", music, true},
    {"--effects", effects, true}, {"--keys", keys, false},
};

int refuse(const std::string& reason) {
    std::fprintf(stderr, "driftwing: %s\n%s", reason.c_str(), usage);
    return 2;
}

void printHelp() {
    const std::string settings = settingsPath(), pictures = screenshotFolder();
    std::printf(
        "%s\n"
        "  --scale N|auto  show every pixel of the game as an N x N block, 1 to %d; auto (the\n"
        "                  default) takes the largest that fits the desktop\n"
        "  --fullscreen    fill the desktop, the game centred; F11 or Alt+Enter toggles\n"
        "  --window        play in a window\n"
        "  --record FILE   write the keys of the game to FILE as it is played (--force: even\n"
        "                  over an existing FILE)\n"
        "  --play FILE     show a recorded game again, and check it plays out the same;\n"
        "                  P or Space pauses, . and , step a frame while paused, + and -\n"
        "                  change the speed (x1/4 to x8), Left and Right jump 10 s, Home and\n"
        "                  End go to the first and the last frame\n"
        "  --volume N      the music and the shots and blasts at N %% (0 to 100)\n"
        "  --music N, --effects N  the music, or the shots and blasts, alone at N %%\n"
        "  --data DIR      read the game's files from DIR/data\n"
        "  --keys          print the keys in force (the settings file's [keys] section)\n\n"
        "Keys: S starts a game, arrows steer and climb, Space fires, P pauses, Esc quits,\n"
        "M mutes, [ and ] turn the volume down and up; F12 saves a screenshot (PNG) in\n"
        "%s.\n"
        "A gamepad: its stick or D-pad steers, button 1 fires, 2 starts, 8 pauses.\n"
        "The scale, fullscreen, volume and keys are remembered in %s.\n"
        "Its [pad] section moves the pad's buttons (1 to 32) and names its device:\n"
        "  fire = 1, start = 2, pause = 8, device = /dev/input/js1 (Linux)\n",
        usage, 8, pictures.empty() ? "no folder (no home folder)" : pictures.c_str(),
        settings.empty() ? "no file (no home folder)" : settings.c_str());
}

// Takes one option's value into the command line; a reason when it is none it takes.
std::string take(const Option& o, std::string_view value, CommandLine& c) {
    const int percent = readPercent(value);
    const bool isPercent = o.slot == volume || o.slot == music || o.slot == effects;
    if (isPercent && percent < 0)
        return std::string(o.name) + " takes 0 to 100, not '" + safeText(value) + "'";
    if (o.slot == scale && readScale(value) < 0)
        return "--scale takes 1 to 8 or auto, not '" + safeText(value) + "'";
    if (o.slot == scale) {
        c.display.scale = readScale(value);
        c.scaleGiven = true;
    } else if (o.slot == display) {
        c.display.fullscreen = o.name == "--fullscreen";
        c.fullscreenGiven = true;
    }
    if (o.slot == record) c.recordPath = value;
    if (o.slot == play) c.playPath = value;
    if (o.slot == data) c.dataDir = value;
    if (o.slot == force) c.overwrite = true;
    if (isPercent && o.slot != effects) c.music = percent;
    if (isPercent && o.slot != music) c.effects = percent;
    return "";
}
}  // namespace

int readCommandLine(int argc, char** argv, CommandLine& commandLine) {
    const char* given[slots] = {};  // the option that took each slot
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") return printHelp(), 0;
        if (arg == "--version") return std::printf("driftwing %s\n", DRIFTWING_VERSION), 0;
        const Option* o = options;
        while (o != std::end(options) && o->name != arg) ++o;
        if (o == std::end(options)) return refuse("unknown option '" + safeText(arg) + "'");
        if (given[o->slot] && given[o->slot] == o->name)
            return refuse("'" + safeText(arg) + "' is given twice");
        if (given[o->slot]) return refuse(std::string(given[o->slot]) + " and " + argv[i] + " do not go together");
        given[o->slot] = argv[i];
        const std::string_view value = o->hasValue && i + 1 < argc ? argv[++i] : "";
        if (o->hasValue && (value.empty() || value.substr(0, 2) == "--"))
            return refuse(std::string(o->name) + " needs a value");
        if (const std::string why = take(*o, value, commandLine); !why.empty()) return refuse(why);
    }
    if (given[volume] && (given[music] || given[effects]))
        return refuse("--volume sets the music and the effects both: leave out --music and --effects");
    if (given[record] && given[play]) return refuse("--record and --play do not go together");
    if (given[force] && !given[record]) return refuse("--force goes with --record");
    if (given[keys]) {
        printKeyBindings(loadSettings().keys, stdout);
        return 0;
    }
    return -1;
}

Settings settingsFor(const CommandLine& commandLine) {
    Settings settings = loadSettings();
    if (commandLine.scaleGiven) settings.display.scale = commandLine.display.scale;
    if (commandLine.fullscreenGiven) settings.display.fullscreen = commandLine.display.fullscreen;
    if (commandLine.music >= 0) settings.sound.music = commandLine.music;
    if (commandLine.effects >= 0) settings.sound.effects = commandLine.effects;
    if (commandLine.scaleGiven || commandLine.fullscreenGiven || commandLine.music >= 0 ||
        commandLine.effects >= 0)
        saveSettings(settings.display, settings.sound);
    return settings;
}
