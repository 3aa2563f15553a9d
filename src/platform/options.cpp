// options.cpp -- the command line, and the display choice read from and saved in the settings file
#include "platform/options.h"

#include <allegro.h>
#ifdef ALLEGRO_WINDOWS
#include <winalleg.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>

#include "platform/settings_file.h"
#include "shell/key_script.h"
#include "state/assets.h"

#ifndef DRIFTWING_VERSION
#define DRIFTWING_VERSION "unknown"
#endif

namespace {
const char* const usage =
    "usage: driftwing [--scale N|auto] [--fullscreen | --window] "
    "[--record FILE [--force] | --play FILE] [--volume N] [--music N] [--effects N] "
    "[--data DIR] [--keys] [--help] [--version]\n";

// A percentage: one to three digits, 0 to 100; anything else is -1.
int readPercent(std::string_view text) {
    if (text.empty() || text.size() > 3) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 100 ? value : -1;
}

// "auto" is 0; one digit 1..largestScale is itself; anything else (02, +2, 2x) is -1.
int readScale(std::string_view text) {
    if (text == "auto") return 0;
    return text.size() == 1 && text[0] >= '1' && text[0] <= '0' + largestScale ? text[0] - '0' : -1;
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
        usage, largestScale, pictures.empty() ? "no folder (no home folder)" : pictures.c_str(),
        settings.empty() ? "no file (no home folder)" : settings.c_str());
}
}  // namespace

int readCommandLine(int argc, char** argv, CommandLine& commandLine) {
    // Each option at most once (--fullscreen and --window count as one); a value is never
    // empty nor another option.
    enum { scale, fullscreen, window, record, force, play, data, volume, music, effects, count };
    constexpr std::string_view names[count] = {
        "--scale", "--fullscreen", "--window", "--record", "--force",
        "--play",  "--data",       "--volume", "--music",  "--effects"};
    bool printKeys = false;
    bool given[count] = {};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            printHelp();
            return 0;
        } else if (arg == "--version") {
            std::printf("driftwing %s\n", DRIFTWING_VERSION);
            return 0;
        } else if (arg == "--keys" && !printKeys) {
            printKeys = true;
            continue;
        }
        int which = 0;
        while (which < count && arg != names[which]) ++which;
        const int slot = which == window ? fullscreen : which;
        const bool percent = which == volume || which == music || which == effects;
        const bool hasValue =
            which == scale || which == record || which == play || which == data || percent;
        const std::string_view value = hasValue && i + 1 < argc ? argv[++i] : "";
        if (which == count || given[slot] ||
            (hasValue && (value.empty() || value.substr(0, 2) == "--")) ||
            (which == scale && readScale(value) < 0) || (percent && readPercent(value) < 0) ||
            (which == volume && (given[music] || given[effects])) ||
            (percent && which != volume && given[volume])) {
            std::fputs(usage, stderr);
            return 2;
        }
        given[slot] = true;
        if (which == scale) {
            commandLine.display.scale = readScale(value);
            commandLine.scaleGiven = true;
        } else if (which == fullscreen || which == window) {
            commandLine.display.fullscreen = which == fullscreen;
            commandLine.fullscreenGiven = true;
        } else if (which == record) {
            commandLine.recordPath = value;
        } else if (which == play) {
            commandLine.playPath = value;
        } else if (which == data) {
            commandLine.dataDir = value;
        } else if (percent) {
            if (which != effects) commandLine.music = readPercent(value);
            if (which != music) commandLine.effects = readPercent(value);
        } else {
            commandLine.overwrite = true;
        }
    }
    const bool recording = !commandLine.recordPath.empty(), playing = !commandLine.playPath.empty();
    if ((recording && playing) || (commandLine.overwrite && !recording)) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (printKeys) {
        printKeyBindings(loadSettings().keys, stdout);
        return 0;
    }
    return -1;
}

namespace {
bool holdsGame(const std::string& folder) {
    std::error_code failed;
    return std::filesystem::is_regular_file(folder + "/data/main.bmp", failed);
}

// The folder the running program lies in (links followed), or empty.
std::string programFolder() {
#ifdef ALLEGRO_WINDOWS
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length == sizeof path) return "";
    return std::filesystem::path(std::string(path, length)).parent_path().string();
#else
    std::error_code failed;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? "" : self.parent_path().string();
#endif
}
}  // namespace

std::string findDataFolder(const std::string& given) {
    if (!given.empty() || holdsGame(".")) return given;
    const std::string program = programFolder();
    for (const std::string& folder : {program, program + "/../share/games/driftwing"}) {
        if (!program.empty() && holdsGame(folder)) return folder;
    }
    return "";
}

std::string settingsPath() {
#ifdef ALLEGRO_WINDOWS
    const char* appData = std::getenv("APPDATA");
    return appData && *appData ? std::string(appData) + "\\Driftwing\\settings.cfg" : "";
#else
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (config && config[0] == '/') return std::string(config) + "/driftwing/settings.cfg";
    return home && *home ? std::string(home) + "/.config/driftwing/settings.cfg" : "";
#endif
}

std::string screenshotFolder() {
#ifdef ALLEGRO_WINDOWS
    const char* profile = std::getenv("USERPROFILE");
    return profile && *profile ? std::string(profile) + "\\Pictures\\Driftwing" : "";
#else
    const char* pictures = std::getenv("XDG_PICTURES_DIR");
    const char* home = std::getenv("HOME");
    if (pictures && pictures[0] == '/') return std::string(pictures) + "/driftwing";
    return home && *home ? std::string(home) + "/Pictures/driftwing" : "";
#endif
}

namespace {
// "yes" or "no" of a [section] key; `fallback` (and a line naming the file) for anything else.
bool readYesNo(std::string_view value, const std::string& path, const char* key, bool fallback) {
    if (value == "yes" || value == "no") return value == "yes";
    std::fprintf(stderr, "driftwing: %s: %s = %s is not yes or no; using %s\n", path.c_str(), key,
                 ::quoted(value).c_str(), fallback ? "yes" : "no");
    return fallback;
}

// A percentage of the [sound] section, or `fallback` after a line naming the file.
int readPercentSetting(const SettingsFile& file, const std::string& path, const char* key,
                       int fallback) {
    std::string_view value;
    if (!file.find("sound", key, value)) return fallback;
    const int percent = readPercent(value);
    if (percent >= 0) return percent;
    std::fprintf(stderr, "driftwing: %s: %s = %s is not 0 to 100; using %d\n", path.c_str(), key,
                 ::quoted(value).c_str(), fallback);
    return fallback;
}
}  // namespace

Settings loadSettings() {
    Settings settings;
    const std::string path = settingsPath();
    SettingsFile file;
    std::string problem;
    if (path.empty()) return settings;
    const SettingsRead read = readSettingsFile(path, file, problem);
    if (read == SettingsRead::refused)
        std::fprintf(stderr, "driftwing: cannot read the settings in %s: %s; using the defaults\n",
                     path.c_str(), problem.c_str());
    if (read != SettingsRead::read) return settings;
    // Each thing wrong a line, naming it; what is wrong is left at its default.
    const std::vector<int> bad = file.badLines();
    if (!bad.empty()) {
        std::fprintf(stderr,
                     "driftwing: %s: line %d '%s' is not a key = value, a [section] or a # "
                     "comment; skipped",
                     path.c_str(), bad[0], ::quoted(file.lines[bad[0] - 1]).c_str());
        if (bad.size() > 1) std::fprintf(stderr, " (and %zu more such lines)", bad.size() - 1);
        std::fputc('\n', stderr);
    }
    std::string_view value;
    DisplayChoice& choice = settings.display;
    if (file.find("display", "scale", value)) {
        const int scale = readScale(value);
        if (scale < 0)
            std::fprintf(stderr, "driftwing: %s: scale = %s is not 1 to %d or auto; using auto\n",
                         path.c_str(), ::quoted(value).c_str(), largestScale);
        else
            choice.scale = scale;
    }
    if (file.find("display", "fullscreen", value))
        choice.fullscreen = readYesNo(value, path, "fullscreen", false);
    SoundChoice& sound = settings.sound;
    sound.music = readPercentSetting(file, path, "music", sound.music);
    sound.effects = readPercentSetting(file, path, "effects", sound.effects);
    if (file.find("sound", "muted", value)) sound.muted = readYesNo(value, path, "muted", false);
    settings.keys = readKeyBindings(file, path, stderr);
    settings.pad = padChoiceOf(file, path);
    return settings;
}

void saveSettings(const DisplayChoice& choice, const SoundChoice& sound) {
    const std::string path = settingsPath();
    if (path.empty()) return;
    // Everything else in the file stays as it is: what cannot be read is not written over.
    SettingsFile file;
    std::string problem;
    bool saved = readSettingsFile(path, file, problem) != SettingsRead::refused;
    if (saved) {
        const char digit[2] = {static_cast<char>('0' + choice.scale), 0};
        file.set("display", "scale", choice.scale ? digit : "auto");
        file.set("display", "fullscreen", choice.fullscreen ? "yes" : "no");
        // The sound's keys once it is other than it has always been, or the file has them.
        std::string_view old;
        const SoundChoice usual;
        if (sound.music != usual.music || sound.effects != usual.effects || sound.muted ||
            file.find("sound", "music", old) || file.find("sound", "effects", old) ||
            file.find("sound", "muted", old)) {
            file.set("sound", "music", std::to_string(sound.music));
            file.set("sound", "effects", std::to_string(sound.effects));
            file.set("sound", "muted", sound.muted ? "yes" : "no");
        }
        saved = writeSettingsFile(path, file.text(), problem);
    }
    // Said once: F11 saves again, and the reason will be the same.
    static bool said = false;
    if (!saved && !said) {
        std::fprintf(stderr, "driftwing: cannot save the settings in %s: %s\n", path.c_str(),
                     problem.c_str());
        said = true;
    }
}

PadChoice padChoiceOf(const SettingsFile& file, const std::string& path) {
    PadChoice choice;
    // A button is a number 1 to 32, written plainly (no sign, no leading zero).
    for (auto [name, button] : {std::pair{"fire", &choice.fire}, std::pair{"start", &choice.start},
                                std::pair{"pause", &choice.pause}}) {
        std::string_view value;
        const int line = file.find("pad", name, value);
        if (!line) continue;
        int number = 0;
        const bool plain =
            !value.empty() && value.size() <= 2 && value[0] != '0' &&
            std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        for (char c : value) number = plain ? number * 10 + (c - '0') : 0;
        if (plain && number <= padButtonCount) {
            *button = number;
            continue;
        }
        std::fprintf(stderr,
                     "driftwing: %s: line %d: %s = '%s' is not a button 1 to %d; using %d\n",
                     path.c_str(), line, name, ::quoted(value).c_str(), padButtonCount, *button);
    }
    std::string_view device;
    if (file.find("pad", "device", device)) choice.device = device;
    return choice;
}


int fittingScale(int desktopWidth, int desktopHeight) {
    const int scale =
        std::min(desktopWidth * 9 / 10 / frameWidth, desktopHeight * 85 / 100 / frameHeight);
    return std::clamp(scale, 1, largestScale);
}

namespace {
CommandLine given;  // what main read, for the window platform
}  // namespace

void useCommandLine(const CommandLine& commandLine) { given = commandLine; }

const CommandLine& givenCommandLine() { return given; }
