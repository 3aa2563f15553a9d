// video.cpp -- the video maker: check and listen, mix the sound, then picture by picture out
#include "video.h"

#include <allegro.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gif.h"
#include "mixer.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "shell/frame.h"
#include "shell/recording.h"
#include "state/assets.h"
#include "state/cues.h"

namespace {
constexpr int exitFailed = 1;    // the recording, start-up, ffmpeg or a write failed
constexpr int exitBadInput = 2;  // the command line asked for what cannot be made
constexpr Cue cues[] = {Cue::Music, Cue::Shot, Cue::Blast};

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "driftwing-replay: %s\n", message.c_str());
    return code;
}

// --- What is left behind when the job stops: nothing but OUT, and OUT only when done. ---

// The files being made, and ffmpeg while it runs; fixed buffers, so that the signal
// handler can remove them without touching the heap.
char partPaths[3][4096];  // the video, the sound, ffmpeg's messages
volatile pid_t encoderPid = 0;

void removeParts() {
    for (char* path : partPaths)
        if (path[0]) unlink(path);
}

// Ctrl-C or a kill: ffmpeg stops, the unfinished files go, and the signal ends us as
// it would have.
void onStopSignal(int signal) {
    if (encoderPid > 0) {
        kill(encoderPid, SIGKILL);
        waitpid(encoderPid, nullptr, 0);
    }
    removeParts();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// ".NAME.part.SUFFIX" beside path.
std::string partName(const std::string& path, const char* suffix) {
    size_t slash = path.find_last_of('/');
    return path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".part." + suffix;
}

void notePart(int which, const std::string& path) {
    std::snprintf(partPaths[which], sizeof partPaths[which], "%s", path.c_str());
}

// --- The first pass: the recording checked, its sounds and length noted. ---

// What the checking pass sends back over its pipe: a sound start, or (cue -1) the end.
struct HeardSound {
    int64_t frame;
    int32_t cue, volume, pan, frequency, loop;
};

std::vector<HeardSound> heard;
int64_t framesPlayed = 0;  // the frame being played: start-up's sounds go with frame 0

void hear(const char* name, int volume, int pan, int frequency, int loop) {
    for (int i = 0; i < 3; ++i)
        if (std::strcmp(name, cueSound(cues[i]).name) == 0)
            heard.push_back({framesPlayed, i, volume, pan, frequency, loop});
}

// Plays the script through; calls `picture` with each frame number before the frame
// after it is played, as long as it returns true. Returns the frames played.
template <typename Picture>
int64_t play(const KeyScript& script, StateChecker* checker, Picture picture) {
    int64_t frame = 0;
    if (!picture(frame)) return frame;
    for (const KeyScriptLine& line : script.lines) {
        setHeadlessKeys(line.keys);
        for (int32_t i = 0; i < line.count; ++i) {
            framesPlayed = frame + 1;  // the sounds it starts are heard with its picture
            bool quit = runFrame();
            ++frame;
            if (checker) checker->afterFrame(frame);
            if (quit || !picture(frame)) return frame;
        }
    }
    return frame;
}

bool writeAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The child's side: the game from a fresh start-up, checked against the recording. Exits.
[[noreturn]] void checkAndListen(const KeyScript& script, int out) {
    setSoundRecorder(hear);
    if (startUp() != 0) std::exit(exitFailed);
    StateChecker checker(&script.checks);
    int64_t frames = play(script, &checker, [](int64_t) { return true; });
    shutdownAssets();
    if (checker.reportDifference("driftwing-replay", frames)) std::exit(exitFailed);
    heard.push_back({frames, -1, 0, 0, 0, 0});
    std::exit(writeAll(out, heard.data(), heard.size() * sizeof(HeardSound)) ? 0 : exitFailed);
}

// The parent's side: runs the checking pass in a child and reads what it heard. Returns
// 0, or the exit code when the recording did not play out as noted (the child said so).
int checkRecording(const KeyScript& script, std::vector<HeardSound>& sounds, int64_t& frames) {
    int link[2];
    if (pipe(link) != 0)
        return fail(exitFailed, std::string("cannot make a pipe: ") + strerror(errno));
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return fail(exitFailed, std::string("cannot start a process: ") + strerror(errno));
    if (child == 0) {
        close(link[0]);
        checkAndListen(script, link[1]);
    }
    close(link[1]);
    std::vector<char> bytes;
    char chunk[65536];
    for (ssize_t n; (n = read(link[0], chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    close(link[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status)) return fail(exitFailed, "the checking pass stopped unexpectedly");
    if (WEXITSTATUS(status) != 0) return WEXITSTATUS(status);
    sounds.resize(bytes.size() / sizeof(HeardSound));
    std::memcpy(sounds.data(), bytes.data(), sounds.size() * sizeof(HeardSound));
    if (sounds.empty() || sounds.back().cue != -1)
        return fail(exitFailed, "the checking pass did not finish");
    frames = sounds.back().frame;
    sounds.pop_back();
    return 0;
}

// --- The encoder. ---

std::string findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t at = 0; at <= folders.size();) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = (end > at ? folders.substr(at, end - at) : ".") + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return "";
}

// Words split at spaces, for command lines written as one string.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> list;
    for (size_t at = 0; at < text.size();) {
        size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) list.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return list;
}

// ffmpeg's arguments: raw rgb24 pictures at 60 a second on standard input, the mixed
// sound from a file, H.264 + AAC or VP9 + Opus out. The pictures become yuv420p, which
// every player plays; at an even scale each 2 x 2 chroma cell lies inside one game
// pixel, so no colour bleeds into its neighbour. Tagged BT.601, the matrix used.
std::vector<std::string> encoderArguments(const VideoOptions& o, const std::string& sound,
                                          const std::string& part) {
    const std::string size =
        std::to_string(frameWidth * o.scale) + "x" + std::to_string(frameHeight * o.scale);
    std::vector<std::string> args =
        words("ffmpeg -loglevel error -nostdin -y -f rawvideo -pix_fmt rgb24 -framerate 60 -s " +
              size + " -i pipe:0 -f s16le -ar " + std::to_string(mixRate) + " -ac 2 -i");
    args.push_back(sound);
    std::string codecs =
        o.format == VideoFormat::Mp4
            ? "-c:v libx264 -preset veryfast -crf 18 -c:a aac -b:a 192k -movflags +faststart -f mp4"
            : "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 -crf 24 -b:v 0 "
              "-c:a libopus -b:a 160k -f webm";
    for (const std::string& w :
         words("-map 0:v -map 1:a -pix_fmt yuv420p "
               "-colorspace smpte170m -color_primaries smpte170m -color_trc smpte170m " +
               codecs))
        args.push_back(w);
    args.push_back(part);
    return args;
}

// Starts ffmpeg reading pictures from the returned pipe, its messages into `log`.
pid_t startEncoder(const std::string& program, const std::vector<std::string>& args, int log,
                   int& pictures) {
    int link[2];
    if (pipe2(link, O_CLOEXEC) != 0) return -1;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        dup2(link[0], 0);
        dup2(log, 1);
        dup2(log, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(link[0]);
    if (child < 0) {
        close(link[1]);
        return -1;
    }
    pictures = link[1];
    return child;
}

// The last line ffmpeg wrote, for a one-line report.
std::string lastLine(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "";
    std::string text, line;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) line = text.substr(at, end - at);
        at = end + 1;
    }
    return line;
}

// --- The pictures. ---

// The frame through the palette, each pixel a scale x scale block of rgb24, into `rgb`.
void toRgb(const BITMAP* frame, const RGB* palette, int scale, std::vector<uint8_t>& rgb) {
    uint8_t colours[256][3];
    for (int i = 0; i < 256; ++i) {
        colours[i][0] = static_cast<uint8_t>(_rgb_scale_6[palette[i].r]);
        colours[i][1] = static_cast<uint8_t>(_rgb_scale_6[palette[i].g]);
        colours[i][2] = static_cast<uint8_t>(_rgb_scale_6[palette[i].b]);
    }
    const size_t rowBytes = static_cast<size_t>(frame->w) * scale * 3;
    for (int y = 0; y < frame->h; ++y) {
        uint8_t* row = rgb.data() + rowBytes * scale * y;
        uint8_t* at = row;
        for (int x = 0; x < frame->w; ++x) {
            const uint8_t* c = colours[frame->line[y][x]];
            for (int k = 0; k < scale; ++k, at += 3) std::memcpy(at, c, 3);
        }
        for (int k = 1; k < scale; ++k) std::memcpy(row + rowBytes * k, row, rowBytes);
    }
}

// The frame's palette indices, each pixel a scale x scale block, into `indices`.
void toIndices(const BITMAP* frame, int scale, std::vector<uint8_t>& indices) {
    const size_t rowBytes = static_cast<size_t>(frame->w) * scale;
    for (int y = 0; y < frame->h; ++y) {
        uint8_t* row = indices.data() + rowBytes * scale * y;
        for (int x = 0; x < frame->w; ++x) std::memset(row + x * scale, frame->line[y][x], scale);
        for (int k = 1; k < scale; ++k) std::memcpy(row + rowBytes * k, row, rowBytes);
    }
}

// "frame 1200 of 3600, about 14 s left", rewritten in place on a terminal.
class Progress {
public:
    explicit Progress(int64_t total) : total_(total), shown_(isatty(2)) {}
    void update(int64_t done) {
        if (!shown_ || (done % 30 != 0 && done != total_)) return;
        double spent = std::chrono::duration<double>(Clock::now() - started_).count();
        double left = done > 0 ? spent / done * (total_ - done) : 0;
        std::fprintf(stderr, "\rdriftwing-replay: frame %lld of %lld, about %.0f s left   ",
                     static_cast<long long>(done), static_cast<long long>(total_), left);
    }
    ~Progress() {
        if (shown_) std::fprintf(stderr, "\r%70s\r", "");
    }

private:
    using Clock = std::chrono::steady_clock;
    int64_t total_;
    bool shown_;
    Clock::time_point started_ = Clock::now();
};

// GIF time runs in hundredths: every second game frame, shown for 3, 3 and 4 hundredths
// in turn, keeps 30 pictures a second to the game's clock.
int gifDelay(int64_t picture) { return picture % 3 == 2 ? 4 : 3; }

// The second pass: from a fresh start-up, frame after frame into the encoder. Returns 0
// or an exit code (said).
int encode(const KeyScript& script, const VideoOptions& o, int64_t toFrame,
           const std::vector<SoundStart>& sounds, const std::string& ffmpeg) {
    const std::string part = partName(o.path, o.format == VideoFormat::Mp4    ? "mp4"
                                              : o.format == VideoFormat::Webm ? "webm"
                                                                              : "gif");
    const std::string sound = partName(o.path, "pcm"), log = partName(o.path, "log");
    const int64_t total = toFrame - o.fromFrame;
    Progress progress(o.format == VideoFormat::Gif ? (total + 1) / 2 : total);
    bool ok = true;
    int64_t done = 0;

    if (o.format == VideoFormat::Gif) {
        notePart(0, part);
        std::FILE* out = std::fopen(part.c_str(), "wb");
        if (!out) return fail(exitFailed, "cannot write " + part + ": " + strerror(errno));
        std::vector<uint8_t> indices(static_cast<size_t>(frameWidth) * frameHeight * o.scale *
                                     o.scale);
        GifWriter gif(out, frameWidth * o.scale, frameHeight * o.scale, spritePalette);
        play(script, nullptr, [&](int64_t frame) {
            if (frame >= toFrame) return false;
            if (frame >= o.fromFrame && (frame - o.fromFrame) % 2 == 0) {
                toIndices(backBuffer, o.scale, indices);
                gif.addFrame(indices.data(), gifDelay(done));
                progress.update(++done);
            }
            return true;
        });
        ok = gif.finish();
        ok &= std::fclose(out) == 0;
        if (!ok) return fail(exitFailed, "writing " + part + " failed");
        return 0;
    }

    notePart(1, sound);
    std::FILE* pcm = std::fopen(sound.c_str(), "wb");
    if (!pcm) return fail(exitFailed, "cannot write " + sound + ": " + strerror(errno));
    ok = writeMix(sounds, o.fromFrame, toFrame, pcm);
    ok &= std::fclose(pcm) == 0;
    if (!ok) return fail(exitFailed, "writing the sound " + sound + " failed");

    notePart(2, log);
    notePart(0, part);
    int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (logFd < 0) return fail(exitFailed, "cannot write " + log + ": " + strerror(errno));
    int pictures = -1;
    encoderPid = startEncoder(ffmpeg, encoderArguments(o, sound, part), logFd, pictures);
    close(logFd);
    if (encoderPid < 0)
        return fail(exitFailed, std::string("cannot start ffmpeg: ") + strerror(errno));

    std::vector<uint8_t> rgb(static_cast<size_t>(frameWidth) * frameHeight * o.scale * o.scale * 3);
    play(script, nullptr, [&](int64_t frame) {
        if (frame >= toFrame) return false;
        if (frame < o.fromFrame) return true;
        toRgb(backBuffer, spritePalette, o.scale, rgb);
        ok = writeAll(pictures, rgb.data(), rgb.size());
        progress.update(++done);
        return ok;
    });
    close(pictures);
    int status = 0;
    while (waitpid(encoderPid, &status, 0) < 0 && errno == EINTR) {
    }
    encoderPid = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string said = lastLine(log);
        return fail(exitFailed, "ffmpeg failed making " + o.path +
                                    (said.empty() ? std::string() : ": " + said));
    }
    if (!ok) return fail(exitFailed, "ffmpeg stopped reading the pictures of " + o.path);
    return 0;
}

std::string secondsOf(int64_t frame) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", frame / 60.0);
    return text;
}
}  // namespace

VideoFormat videoFormatOf(const std::string& path) {
    auto endsWith = [&](const char* suffix) {
        size_t n = std::strlen(suffix);
        return path.size() > n && path.compare(path.size() - n, n, suffix) == 0 &&
               path[path.size() - n - 1] != '/';
    };
    if (endsWith(".mp4")) return VideoFormat::Mp4;
    if (endsWith(".webm")) return VideoFormat::Webm;
    if (endsWith(".gif")) return VideoFormat::Gif;
    return VideoFormat::None;
}

bool readSeconds(const std::string& text, int64_t& frame) {
    int64_t whole = 0, fraction = 0, unit = 1;  // fraction / unit seconds
    bool digits = false, point = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (!point && whole > 36000000) return false;  // ten thousand hours is plenty
            if (!point)
                whole = whole * 10 + (c - '0');
            else if (unit < 1000000)
                fraction = fraction * 10 + (c - '0'), unit *= 10;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    frame = whole * 60 + (fraction * 60 * 2 + unit) / (unit * 2);  // to the nearest frame
    return true;
}

int makeVideo(const KeyScript& script, const std::string& scriptPath, const VideoOptions& options) {
    std::string ffmpeg;
    if (options.format != VideoFormat::Gif) {
        ffmpeg = findProgram("ffmpeg");
        if (ffmpeg.empty())
            return fail(exitFailed, "--video needs ffmpeg (apt-get install ffmpeg)");
    }
    usePlatform(headlessPlatform);

    std::vector<HeardSound> heardSounds;
    int64_t frames = 0;
    if (int refused = checkRecording(script, heardSounds, frames)) return refused;
    VideoOptions o = options;
    if (o.fromFrame >= frames)
        return fail(exitBadInput, "--from " + secondsOf(o.fromFrame) + " is past the end of " +
                                      scriptPath + " (" + secondsOf(frames) + ")");
    int64_t toFrame = o.toFrame < 0 || o.toFrame > frames ? frames : o.toFrame;
    if (toFrame <= o.fromFrame) return fail(exitBadInput, "--from must come before --to");

    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    if (startUp() != 0) return exitFailed;
    std::vector<SoundStart> sounds;
    for (const HeardSound& h : heardSounds)
        sounds.push_back(
            {h.frame, *cueSound(cues[h.cue]).sample, h.volume, h.pan, h.frequency, h.loop != 0});
    int result = encode(script, o, toFrame, sounds, ffmpeg);
    shutdownAssets();
    if (result == 0 && std::rename(partPaths[0], o.path.c_str()) != 0)
        result = fail(exitFailed, "cannot name the video " + o.path + ": " + strerror(errno));
    if (result == 0) partPaths[0][0] = 0;
    removeParts();
    return result;
}
