// playback.cpp -- a recorded game watched again, with copies of its state to seek from
#include "shell/playback.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/quit.h"
#include "shell/frame.h"
#include "shell/key_script.h"
#include "shell/recording.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "state/keys.h"
#include "world/world.h"

namespace {
constexpr int64_t framesPerCopy = 300;   // five seconds: a seek plays at most that many frames
constexpr int64_t framesPerJump = 600;   // Left and Right: ten seconds
constexpr int64_t passFramesPerTick = 120;  // the pass's share of a frame: about 4 ms
constexpr int ticksLineShown = 120;      // the line stays two seconds after a control
constexpr int speeds[] = {1, 2, 4, 8, 16, 32};  // frames a tick, in quarters
constexpr int normalSpeed = 2;
constexpr int loudestSpeed = 3;  // above x2 the shots and blasts are left out

// Where the next frame's keys are in the recording's runs.
struct KeyCursor {
    size_t run = 0;
    int64_t used = 0;  // frames of that run already played
};

// The game as it was after a number of frames, and where the keys go on from there.
struct Copy {
    GameState state;
    KeyCursor cursor;
};

// The pass over the whole recording, a slice of it between the frames shown: the game it
// has reached, drawn into a picture of its own.
struct Pass {
    int64_t done = 0;  // frames played
    GameState state{};
    KeyCursor cursor;
    BITMAP* picture = nullptr;
    GameState watched{};  // the game being watched, while the pass has `game`
};

struct Playback {
    KeyScript recorded;
    int64_t frames = 0;           // the recording's length
    std::vector<Copy> copies;     // after frames 0, framesPerCopy, 2 framesPerCopy, ...
    Pass pass;
    StateChecker checker;         // the pass's: every noted state compared
    int64_t differsAt = -1;       // the first frame whose state differs, -1: none yet
    bool differed = false;        // the loop reached it
    bool ended = false;           // the last frame was played
    const Platform* real = nullptr;
    bool effects = true;          // shots and blasts reach the sound card

    int64_t shown = 0;  // the picture in backBuffer: drawn after shown - 1 frames
    KeyCursor cursor;   // the keys of frame `shown`
};
Playback playback;

uint32_t nextKeys(Playback& p, KeyCursor& c) {
    const auto& lines = p.recorded.lines;
    while (c.run < lines.size() && c.used == lines[c.run].count) {
        ++c.run;
        c.used = 0;
    }
    if (c.run == lines.size()) return 0;
    ++c.used;
    return lines[c.run].keys;
}

// Frame steps in the game's own order: the picture drawn (the world moves), then the keys.
void silentFrame(Playback& p, KeyCursor& c) {
    drawFrame();
    handleKeys(nextKeys(p, c));
}

void playSample(const char* cue, SAMPLE* sample, int volume, int pan, int frequency, int loop) {
    if (playback.effects || loop) playback.real->playSample.call(cue, sample, volume, pan,
                                                                 frequency, loop);
}

// The pass carried on to FRAME (or the recording's end): every noted state up to there
// checked, the copies kept. The game being watched and its picture are put back as they were.
void passTo(Playback& p, int64_t frame) {
    Pass& pass = p.pass;
    frame = std::min(frame, p.frames);
    if (pass.done >= frame) return;
    pass.watched = game;
    BITMAP* shown = backBuffer;
    game = pass.state;
    backBuffer = pass.picture;
    const bool effects = p.effects;
    p.effects = false;
    while (pass.done < frame) {
        silentFrame(p, pass.cursor);
        p.checker.afterFrame(++pass.done);
        if (pass.done % framesPerCopy == 0) p.copies.push_back({game, pass.cursor});
    }
    p.effects = effects;
    pass.state = game;
    game = pass.watched;
    backBuffer = shown;
    p.differsAt = p.checker.firstDifference();
}

// Picture FRAME from the nearest copy before it, without a sound.
bool seek(Playback& p, int64_t frame) {
    frame = std::clamp<int64_t>(frame, 1, std::max<int64_t>(1, p.frames));
    passTo(p, frame - 1);
    const Copy& from = p.copies[static_cast<size_t>((frame - 1) / framesPerCopy)];
    game = from.state;
    KeyCursor c = from.cursor;
    p.effects = false;
    for (int64_t f = (frame - 1) / framesPerCopy * framesPerCopy + 1; f < frame; ++f)
        silentFrame(p, c);
    drawFrame();
    p.effects = true;
    p.cursor = c;
    p.shown = frame;
    p.ended = false;
    if (p.differsAt >= 0 && frame - 1 >= p.differsAt) p.differed = true;
    return !p.differed;
}
}  // namespace

bool loadPlayback(const std::string& path, std::string& why) {
    std::string text;
    if (!readScriptFile(path, text, why)) return false;
    Playback& p = playback;
    p.recorded = parseKeyScript(text);
    if (!p.recorded.ok()) {
        why = "line " + std::to_string(p.recorded.errorLine) + ": " + p.recorded.error;
        return false;
    }
    if (p.recorded.cutShort)
        std::fprintf(stderr,
                     "driftwing: note: %s ends mid-line (cut short?); played to its last "
                     "whole line\n",
                     path.c_str());
    p.frames = 0;
    for (const KeyScriptLine& line : p.recorded.lines) p.frames += line.count;
    p.checker = StateChecker(&p.recorded.checks);
    p.copies.clear();
    p.copies.reserve(static_cast<size_t>(p.frames / framesPerCopy + 1));
    return true;
}

const Platform& playbackPlatform(const Platform& real) {
    playback.real = &real;
    static Platform taken = real;  // outlives the call; each call takes the platform given
    taken = real;
    taken.playSample = playSample;
    return taken;
}

bool startPlayback() {
    Playback& p = playback;
    p.copies.push_back({game, KeyCursor{}});
    p.pass = Pass{};
    p.pass.state = game;
    if (!(p.pass.picture = create_bitmap_ex(8, frameWidth, frameHeight))) {
        std::fprintf(stderr, "driftwing: cannot make a %d × %d picture\n", frameWidth,
                     frameHeight);
        return false;
    }
    p.differsAt = -1;
    p.differed = p.ended = false;
    if (p.frames == 0) {
        p.ended = true;
        return true;
    }
    seek(p, 1);
    return true;
}

void stopPlayback() {
    if (playback.pass.picture) destroy_bitmap(playback.pass.picture);
    playback.pass.picture = nullptr;
}

void passWholePlayback() { passTo(playback, playback.frames); }

int64_t playbackFrame() { return playback.shown; }
int64_t playbackFrames() { return playback.frames; }
bool seekPlayback(int64_t frame) { return seek(playback, frame); }
size_t playbackMemory() { return playback.copies.capacity() * sizeof(Copy); }

bool advancePlayback(bool sounds) {
    Playback& p = playback;
    if (p.ended || p.differed) return false;
    passTo(p, p.shown);
    p.effects = sounds;
    const bool quit = handleKeys(nextKeys(p, p.cursor));
    p.effects = true;
    if (p.differsAt >= 0 && p.shown >= p.differsAt) p.differed = true;
    if (quit || p.shown >= p.frames) p.ended = true;
    if (p.ended || p.differed) return false;
    p.effects = sounds;
    drawFrame();
    p.effects = true;
    ++p.shown;
    return true;
}

void runPlaybackLoop() {
    Playback& p = playback;
    const Platform& real = *p.real;
    bool paused = false;
    int speed = normalSpeed, credit = 0, lineTicks = ticksLineShown;
    PlaybackLine line;
    line.frames = p.frames;
    platformPresent(backBuffer);
    while (!p.ended && !p.differed) {
        platformWaitRetrace();
        passTo(p, p.pass.done + passFramesPerTick);
        if ((real.pollKeys.call() & HeldEsc) || platformBetweenFrames(false) || quitAsked())
            return;
        const uint32_t asked = platformPlaybackControls();
        if (asked) lineTicks = ticksLineShown;
        if (asked & PlayOrPause) {
            paused = !paused;
            credit = 0;
        }
        if (asked & Faster) speed = std::min(speed + 1, 5);
        if (asked & Slower) speed = std::max(speed - 1, 0);
        if (paused && (asked & StepForward) && p.shown < p.frames) advancePlayback(false);
        if (paused && (asked & StepBack) && p.shown > 1) seek(p, p.shown - 1);
        if (asked & JumpBack) seek(p, p.shown - framesPerJump);
        if (asked & JumpForward) seek(p, p.shown + framesPerJump);
        if (asked & ToFirstFrame) seek(p, 1);
        if (asked & ToLastFrame) seek(p, p.frames);
        for (credit += paused ? 0 : speeds[speed]; credit >= 4 && !p.ended && !p.differed;
             credit -= 4)
            advancePlayback(speed <= loudestSpeed);
        if (p.ended || p.differed) break;
        platformHoldMusic(paused || speed != normalSpeed);
        line.frame = p.shown;
        line.speedQuarters = speeds[speed];
        line.paused = paused;
        platformShowPlaybackLine(paused || lineTicks > 0 ? &line : nullptr);
        if (lineTicks > 0) --lineTicks;
        platformPresent(backBuffer);
    }
}

int finishPlayback() {
    Playback& p = playback;
    if (p.differed) {
        p.checker.reportDifference("driftwing", p.frames);
        return 1;
    }
    if (!p.ended) return 0;  // the player quit it early
    if (p.recorded.checks.empty()) {
        std::fprintf(stderr,
                     "driftwing: note: this recording notes no game state to check against\n");
        return 0;
    }
    return p.checker.reportDifference("driftwing", p.frames) ? 1 : 0;
}
