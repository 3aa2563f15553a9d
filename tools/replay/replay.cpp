// replay.cpp -- driftwing-replay: the game's own start-up, frames and shutdown, keys from a script
//
// Runs headless: no window, no keyboard, no sound card. Each frame holds the keys the
// script names, and the runner can write the whole game state after every frame
// (a JSON line) and pictures of chosen frames (8-bit BMP files), and check a recording
// made by the game: that the replayed game reaches every state the recording noted.
#include <allegro.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/headless.h"
#include "recordings/checker.h"
#include "recordings/script_player.h"
#include "spine/frame.h"
#include "spine/machine.h"
#include "state/cues.h"
#include "state/requests.h"
#include "state/assets.h"
#include "system/signals.h"
#include "system/text.h"
#include "trace.h"
#include "video.h"

namespace {
constexpr int exitRan = 0;
constexpr int exitStartUpFailed = 1;
constexpr int exitDiffered = 1;  // --verify: the game came out different

const char* const usage =
    "usage: driftwing-replay [--data DIR] [--trace FILE|-] [--shot N:FILE]... [--verify] "
    "SCRIPT|-\n"
    "       driftwing-replay [--data DIR] --video OUT [--force] [--scale N] [--from SECONDS] "
    "[--to SECONDS] SCRIPT|-\n";

const char* const help =
    "Plays a key script or a recording headless, the game's own frames.\n"
    "  --data DIR        read data/ from DIR (default: as the game finds it: data/ in\n"
    "                    the current folder, else beside the program, else the one\n"
    "                    installed with it, ../share/games/driftwing)\n"
    "  --trace FILE|-    the game state after every frame, one JSON line each\n"
    "  --shot N:FILE     the picture of frame N as an 8-bit BMP (frame 0: before the first)\n"
    "  --verify          check the states a recording noted; exit 1 when they differ\n"
    "  --video OUT       the recording as OUT.mp4 (H.264, AAC), OUT.webm (VP9, Opus) or\n"
    "                    OUT.gif (no sound, the game's own colours); needs ffmpeg but for\n"
    "                    GIF. A recording that does not verify is refused. MP4 and WebM\n"
    "                    hold every frame at 60 a second (video frame i is game frame\n"
    "                    FROM + i, FROM the frame at --from, else 1); a GIF holds game\n"
    "                    frames FROM, FROM + 2, FROM + 4, ...\n"
    "                    at 30 a second (delays of 3, 3, 4 hundredths in turn)\n"
    "  --force           write over an existing OUT\n"
    "  --scale N         each game pixel as N x N video pixels, 1 to 8 (default 2)\n"
    "  --from SECONDS    the clip starts at this time of the recording (default 0)\n"
    "  --to SECONDS      and ends before this one (default: the recording's end)\n";

struct Shot {
    int64_t frame;
    std::string path;  // absolute: its folder is checked before the run
    bool written = false;
};

struct Options {
    std::string dataDir;  // empty: found as the game finds it
    std::string tracePath;
    std::vector<Shot> shots;
    std::string scriptPath;
    bool verify = false;       // compare the game with the state a recording noted
    bool video = false;        // --video: the rest of the options are for video
    bool clipOptions = false;  // --scale, --from or --to given
    VideoOptions videoOptions;
};

// Prints a message and returns the exit code for bad input.
int refuse(const std::string& message) {
    std::fprintf(stderr, "driftwing-replay: %s\n", message.c_str());
    return exitBadInput;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    return currentDirectory() + "/" + path;
}

// A picture file can be written when its folder exists and takes new files, and the
// file is not a folder or a read-only file. Checked before the run, without creating it.
bool canWriteFile(const std::string& path, std::string& why) {
    std::string folder = path.substr(0, path.find_last_of('/'));
    if (folder.empty()) folder = "/";
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        why = "no such folder";
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            why = "it is a folder";
            return false;
        }
        if (access(path.c_str(), W_OK) != 0) {
            why = std::strerror(errno);
            return false;
        }
    }
    return true;
}

// N of --shot N:FILE: decimal digits only.
bool readFrameNumber(const std::string& text, int64_t& frame) {
    if (text.empty() || text.size() > 18) return false;
    frame = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        frame = frame * 10 + (c - '0');
    }
    return true;
}

// --video, --scale, --from, --to: 0 when taken, -1 when ARG is none of them, otherwise
// the exit code (a message is printed).
int readVideoOption(const std::string& arg, const std::string& value, Options& options) {
    VideoOptions& v = options.videoOptions;
    if (arg == "--video") {
        v.path = absolutePath(value);
        v.format = videoFormatOf(value);
        if (v.format == VideoFormat::None)
            return refuse("--video makes .mp4, .webm or .gif files, not '" + safeText(value) + "'");
        options.video = true;
        return 0;
    }
    if (arg == "--scale") {
        int64_t scale = 0;
        if (!readFrameNumber(value, scale) || scale < smallestVideoScale ||
            scale > largestVideoScale)
            return refuse("--scale takes a whole number from 1 to 8, not '" + safeText(value) + "'");
        v.scale = static_cast<int>(scale);
    } else if (arg == "--from" || arg == "--to") {
        int64_t frame = 0;
        if (!readSeconds(value, frame))
            return refuse(arg + " takes a time in seconds such as 12 or 1.5, not '" +
                          safeText(value) + "'");
        (arg == "--from" ? v.fromFrame : v.toFrame) = frame;
    } else {
        return -1;
    }
    options.clipOptions = true;
    return 0;
}

// An option's value: 0 when taken, otherwise the exit code (a message is printed).
int readValue(const std::string& arg, const std::string& value, Options& options) {
    if (int refused = readVideoOption(arg, value, options); refused >= 0) return refused;
    if (arg == "--data") {
        options.dataDir = value;
    } else if (arg == "--trace") {
        options.tracePath = value;
    } else {
        size_t colon = value.find(':');
        Shot shot{};
        if (colon == std::string::npos || colon + 1 == value.size() ||
            !readFrameNumber(value.substr(0, colon), shot.frame))
            return refuse("--shot takes N:FILE with a frame number N, not '" + safeText(value) + "'");
        shot.path = absolutePath(value.substr(colon + 1));
        options.shots.push_back(shot);
    }
    return 0;
}

// Returns -1 when the options are good, otherwise the exit code (a message is printed).
int readOptions(int argc, char** argv, Options& options) {
    bool sawScript = false;
    bool optionsEnded = false;
    std::set<std::string> given;  // the options that take a value once
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (sawScript)
                return refuse("more than one script given: '" + safeText(arg) + "'\n" + usage);
            options.scriptPath = arg;
            sawScript = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--verify" || arg == "--force") {
            (arg == "--verify" ? options.verify : options.videoOptions.overwrite) = true;
            options.clipOptions |= arg == "--force";
            continue;
        }
        if (arg == "--help") {
            std::fputs(usage, stdout);
            std::fputs(help, stdout);
            return exitRan;
        }
        bool takesValue = arg == "--data" || arg == "--trace" || arg == "--shot" ||
                          arg == "--video" || arg == "--scale" || arg == "--from" || arg == "--to";
        if (!takesValue) return refuse("unknown option '" + safeText(arg) + "'\n" + usage);
        if (i + 1 >= argc) return refuse("option " + arg + " needs a value\n" + usage);
        if (arg != "--shot" && !given.insert(arg).second)
            return refuse("option " + arg + " is given twice\n" + usage);
        if (int refused = readValue(arg, argv[++i], options); refused > 0) return refused;
    }
    if (!sawScript) return refuse(std::string("no script given\n") + usage);
    if (options.clipOptions && !options.video)
        return refuse("--force, --scale, --from and --to are for --video");
    if (options.video && (!options.tracePath.empty() || !options.shots.empty()))
        return refuse("--video makes a video only: leave out --trace and --shot");
    const VideoOptions& v = options.videoOptions;
    if (v.toFrame >= 0 && v.fromFrame >= v.toFrame) return refuse("--from must come before --to");
    return -1;
}

// Sounds the game started since the last trace line; never more than the game starts in a
// frame, so reserved once.
std::vector<TracedSound> pendingSounds;

void hearCue(Cue cue) {
    const CueSound& c = cueSound(cue);
    pendingSounds.push_back({c.name, c.volume, c.pan, c.frequency, c.loop});
}

// Writes the pictures asked for this frame; false when one could not be written.
bool takeShots(std::vector<Shot>& shots, int64_t frame) {
    bool ok = true;
    for (Shot& shot : shots) {
        if (shot.frame != frame) continue;
        if (save_bmp(shot.path.c_str(), backBuffer, spritePalette) != 0) {
            std::fprintf(stderr, "driftwing-replay: cannot write the picture %s\n",
                         shot.path.c_str());
            ok = false;
        }
        shot.written = true;
    }
    return ok;
}

// The trace's file, or standard output for "-"; null (after a message) when it cannot be made.
std::FILE* openTrace(const std::string& path) {
    if (path == "-") return stdout;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        refuse("cannot write the trace " + path + ": " + std::strerror(errno));
        return nullptr;
    }
    static char streamBuffer[1 << 20];
    std::setvbuf(file, streamBuffer, _IOFBF, sizeof streamBuffer);
    return file;
}

// The game, frame after frame, as long as the script holds keys, with the trace and the
// pictures asked for. Returns whether every picture and trace line was written.
bool runScript(const KeyScript& script, std::FILE* traceFile, std::vector<Shot>& shots,
               StateChecker* checker, int64_t& frames) {
    std::unique_ptr<TraceWriter> trace;
    if (traceFile) trace = std::make_unique<TraceWriter>(traceFile, backBuffer->w, backBuffer->h);
    bool ok = true;
    frames = playScript(script, checker, [&](int64_t frame, bool quit) {
        if (trace) {
            trace->writeFrame(frame, pendingSounds, backBuffer, quit);
            pendingSounds.clear();
        }
        if (!shots.empty()) ok &= takeShots(shots, frame);
        return true;
    });
    if (!trace) return ok;
    trace->finish();
    bool traceOk = std::fflush(traceFile) == 0 && trace->healthy();
    if (traceFile != stdout) traceOk &= std::fclose(traceFile) == 0;
    if (!traceOk) std::fputs("driftwing-replay: writing the trace failed\n", stderr);
    return ok && traceOk;
}

// The game's data/ from --data's folder (refused when it is no folder), or found where the
// game finds it: -1, or the exit code (a message is printed).
int useDataFolder(const std::string& given) {
    struct stat info;
    if (!given.empty() && stat(given.c_str(), &info) != 0)
        return refuse("cannot use the folder " + given + ": " + std::strerror(errno));
    if (!given.empty() && !S_ISDIR(info.st_mode))
        return refuse("cannot use the folder " + given + ": " + std::strerror(ENOTDIR));
    useAssetFolder(findDataFolder(given));
    return -1;
}

// The script played headless with its trace, pictures and check: the exit code.
int replay(const Options& options, const KeyScript& script) {
    for (const Shot& shot : options.shots) {
        std::string unwritable;
        if (!canWriteFile(shot.path, unwritable))
            return refuse("cannot write the picture " + shot.path + ": " + unwritable);
    }
    std::FILE* traceFile = options.tracePath.empty() ? nullptr : openTrace(options.tracePath);
    if (!options.tracePath.empty() && !traceFile) return exitBadInput;
    if (traceFile) {
        pendingSounds.reserve(FrameRequests::mostCues * 2);
        listenToCues(hearCue);
    }
    if (startUp() != 0) return exitStartUpFailed;
    StateChecker checker(&script.checks);
    int64_t frames = 0;
    std::vector<Shot> shots = options.shots;
    const bool wrote =
        runScript(script, traceFile, shots, options.verify ? &checker : nullptr, frames);
    shutdownSession();
    for (const Shot& shot : shots) {
        if (!shot.written)
            std::fprintf(stderr,
                         "driftwing-replay: note: frame %lld was never reached, %s not written\n",
                         static_cast<long long>(shot.frame), shot.path.c_str());
    }
    if (quitAsked()) return quitAsked();
    if (!wrote) return exitBadInput;
    if (options.verify && verdictOf(checker, script, "driftwing-replay", options.scriptPath, frames))
        return exitDiffered;
    return exitRan;
}
}  // namespace

int main(int argc, char** argv) {
    catchQuitSignals();
    Options options;
    if (int refused = readOptions(argc, argv, options); refused >= 0) return refused;
    KeyScript script;
    std::string why;
    if (!readKeyScript(options.scriptPath, "driftwing-replay", script, why))
        return refuse(script.errorLine ? options.scriptPath + ": " + why
                                       : "cannot read the script " + options.scriptPath + ": " + why);
    if (int refused = useDataFolder(options.dataDir); refused >= 0) return refused;
    if (!options.video) return replay(options, script);
    return makeVideo(script, options.scriptPath, options.videoOptions);
}
END_OF_MAIN()
