// video.cpp -- the video maker: check and listen, mix the sound, then picture by picture out
#include "video.h"

#include <allegro.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gif.h"
#include "mixer.h"
#include "platform/picture.h"
#include "recordings/script_player.h"
#include "spine/frame.h"
#include "state/assets.h"
#include "state/cues.h"
#include "state/game_state.h"
#include "system/io.h"
#include "system/signals.h"

namespace {
constexpr int exitFailed = 1;    // the recording, start-up, ffmpeg or a write failed

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "driftwing-replay: %s\n", message.c_str());
    return code;
}

// --- The first pass: the recording checked, its sounds and length noted. ---

// Each sound the game started, with the frame it goes with (start-up's: frame 0).
std::vector<std::pair<int64_t, Cue>> heardCues;
int64_t heardFrame = 0;
std::vector<SoundStart> heard;  // the same, with the samples of the session that is encoded

void hear(Cue cue) { heardCues.push_back({heardFrame, cue}); }

// Plays the recording from the session as started, checking every state it noted and
// hearing every sound; then a fresh session for the pictures. 0, or the exit code (said).
int checkAndListen(const KeyScript& script, int64_t& frames) {
    StateChecker checker(&script.checks);
    frames = playScript(script, &checker, [](int64_t frame, bool) {
        heardFrame = frame + 1;  // the sounds it starts are heard with its picture
        return true;
    });
    listenToCues(nullptr);
    if (quitAsked()) return quitAsked();
    if (checker.reportDifference("driftwing-replay", frames)) return exitFailed;
    shutdownSession();
    game = GameState{};
    if (startSession() != 0) return exitFailed;
    for (const auto& [frame, cue] : heardCues) {
        const CueSound& c = cueSound(cue);
        heard.push_back({frame, *c.sample, c.volume, c.pan, c.frequency, c.loop != 0});
    }
    return 0;
}

// --- The encoder. ---

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
// sound from descriptor 4, H.264 + AAC or VP9 + Opus out into descriptor 3 (the part
// file made here, so that ffmpeg opens no name of its own). The pictures become yuv420p,
// which every player plays; at an even scale each 2 x 2 chroma cell lies inside one game
// pixel, so no colour bleeds into its neighbour. Tagged BT.601, the matrix used.
std::vector<std::string> encoderArguments(const VideoOptions& o) {
    const std::string size =
        std::to_string(frameWidth * o.scale) + "x" + std::to_string(frameHeight * o.scale);
    const std::string codecs =
        o.format == VideoFormat::Mp4
            ? "-c:v libx264 -preset veryfast -crf 18 -c:a aac -b:a 192k -movflags +faststart -f mp4"
            : "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 -crf 24 -b:v 0 "
              "-c:a libopus -b:a 160k -f webm";
    return words("ffmpeg -loglevel error -nostdin -y -f rawvideo -pix_fmt rgb24 -framerate 60 -s " +
                 size + " -i pipe:0 -f s16le -ar " + std::to_string(mixRate) +
                 " -ac 2 -i /dev/fd/4 -map 0:v -map 1:a -pix_fmt yuv420p -colorspace smpte170m "
                 "-color_primaries smpte170m -color_trc smpte170m " +
                 codecs + " /dev/fd/3");
}

// The last line ffmpeg wrote, for a one-line report.
std::string lastLine(const std::string& path) {
    std::string text, why, line;
    readWholeFile(path, size_t{1} << 20, text, why);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) line = text.substr(at, end - at);
        at = end + 1;
    }
    return line;
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

// The GIF's pictures, game frames FROM, FROM + 2, ... before TO, into OUT.
int encodeGif(const KeyScript& script, const VideoOptions& o, int64_t from, int64_t to,
              NewFile& out) {
    Progress progress((to - from + 1) / 2);
    uint8_t same[256];
    for (int i = 0; i < 256; ++i) same[i] = static_cast<uint8_t>(i);
    const int width = frameWidth * o.scale;
    std::vector<uint8_t> indices(static_cast<size_t>(width) * frameHeight * o.scale);
    GifWriter gif(out, width, frameHeight * o.scale, spritePalette);
    int64_t done = 0;
    playScript(script, nullptr, [&](int64_t frame, bool) {
        if (frame >= from && (frame - from) % 2 == 0 && frame < to) {
            enlarge(backBuffer, same, o.scale, indices.data(), static_cast<size_t>(width));
            gif.addFrame(indices.data(), gifDelay(done));
            progress.update(++done);
        }
        return frame + 1 < to && !out.error();
    });
    if (quitAsked()) return quitAsked();
    if (!gif.finish())
        return fail(exitFailed, "cannot write " + o.path + ": " + std::strerror(out.error()));
    return 0;
}

// Game frames FROM to TO - 1 as pictures into ffmpeg, with the sound mixed from SOUNDS.
int encodeWithFfmpeg(const KeyScript& script, const VideoOptions& o, int64_t from, int64_t to,
                     const std::string& ffmpeg, NewFile& out) {
    std::string soundPath, logPath, why;
    int sound = -1, log = -1;
    if (!out.beginSide("pcm", soundPath, sound, why) || !out.beginSide("log", logPath, log, why))
        return fail(exitFailed, "cannot write the video's sound beside " + o.path + ": " + why);
    if (const int error = writeMix(heard, from, to, sound))
        return fail(exitFailed, "cannot write " + soundPath + ": " + std::strerror(error));
    Child encoder;
    if (!startChild(ffmpeg, encoderArguments(o), log, {out.descriptor(), sound}, encoder, why))
        return fail(exitFailed, "cannot start ffmpeg: " + why);
    Progress progress(to - from);
    const size_t width = static_cast<size_t>(frameWidth) * o.scale;
    std::vector<uint8_t> rgb(width * frameHeight * o.scale * 3);
    Rgb24 colours[256];
    coloursOf(spritePalette, colours);
    int error = 0;
    playScript(script, nullptr, [&](int64_t frame, bool) {
        if (frame < from) return true;
        enlarge(backBuffer, colours, o.scale, rgb.data(), width * 3);
        error = writeAll(encoder.input, rgb.data(), rgb.size());
        progress.update(frame - from + 1);
        return !error && frame + 1 < to;
    });
    const int status = finishChild(encoder, quitAsked() != 0);
    if (quitAsked()) return quitAsked();
    if (status != 0) {
        const std::string said = lastLine(logPath);
        return fail(exitFailed, "ffmpeg failed making " + o.path + (said.empty() ? "" : ": " + said));
    }
    if (error) return fail(exitFailed, "ffmpeg stopped reading the pictures of " + o.path);
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
    const VideoOptions& o = options;
    std::string ffmpeg, why;
    if (o.format != VideoFormat::Gif && (ffmpeg = findProgram("ffmpeg")).empty())
        return fail(exitFailed, "--video needs ffmpeg (apt-get install ffmpeg)");
    if (sameFile(o.path, scriptPath))
        return fail(exitBadInput, "cannot write the video " + o.path + ": it is the recording");
    NewFile out;
    if (!out.begin(o.path, o.overwrite ? NewFile::Existing::replace : NewFile::Existing::refuse,
                   "another driftwing-replay is making it", why))
        return fail(exitBadInput, "cannot write the video " + o.path + ": " + why);
    listenToCues(hear);
    if (startUp() != 0) return exitFailed;
    int64_t frames = 0;
    int result = checkAndListen(script, frames);
    // The video's first picture is the game's frame at --from (frame 1 for the whole game).
    const int64_t from = std::max<int64_t>(1, o.fromFrame);
    const int64_t to = o.toFrame < 0 || o.toFrame > frames + 1 ? frames + 1 : o.toFrame;
    if (!result && from > frames)
        result = fail(exitBadInput, "--from " + secondsOf(o.fromFrame) + " is past the end of " +
                                        scriptPath + " (" + secondsOf(frames) + ")");
    if (!result && to <= from) result = fail(exitBadInput, "--from must come before --to");
    if (!result)
        result = o.format == VideoFormat::Gif ? encodeGif(script, o, from, to, out)
                                              : encodeWithFfmpeg(script, o, from, to, ffmpeg, out);
    shutdownSession();
    if (!result && (!out.publish(why) || !out.close(why)))
        result = fail(exitFailed, "cannot name the video " + o.path + ": " + why);
    out.discard();
    return result;
}
