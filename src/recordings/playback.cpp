// playback.cpp -- a recorded game watched again, with copies of its state to seek from
#include "recordings/playback.h"

#include <allegro.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/picture.h"
#include "recordings/checker.h"
#include "spine/frame.h"
#include "spine/loop.h"
#include "spine/machine.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "state/keys.h"
#include "system/signals.h"
#include "world/world.h"

namespace {
constexpr int64_t framesPerCopy = 300;      // five seconds: a seek plays at most that many frames
constexpr int64_t framesPerJump = 600;      // Left and Right: ten seconds
constexpr int64_t passFramesPerTick = 120;  // the pass's share of a frame: about 4 ms
constexpr int64_t seekFramesPerTick = 360;  // while a jump waits for the pass: about 12 ms
constexpr int ticksLineShown = 120;         // the line stays two seconds after a control
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
    std::string name;          // the recording's file, for the notes
    int64_t frames = 0;        // the recording's length
    std::vector<Copy> copies;  // after frames 0, framesPerCopy, 2 framesPerCopy, ...
    Pass pass;
    StateChecker checker;    // the pass's: every noted state compared
    int64_t differsAt = -1;  // the first frame whose state differs, -1: none yet
    bool differed = false;   // the watched game reached it
    bool ended = false;      // the last frame was played on from
    int64_t shown = 0;       // the picture in backBuffer: drawn after shown - 1 frames
    KeyCursor cursor;        // the keys of frame `shown`
    int64_t sought = 0;      // a frame to show once the pass has come that far; 0: none
    PlaybackLine line;       // what the line says
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
    passRequests(false);
    handleKeys(nextKeys(p, c));
    passRequests(false);
}

// The pass carried on by at most COUNT frames towards the recording's end: every noted
// state on the way checked, the copies kept. The game watched and its picture stay.
void passSome(Playback& p, int64_t count) {
    Pass& pass = p.pass;
    const int64_t to = std::min(pass.done + count, p.frames);
    if (pass.done >= to) return;
    pass.watched = game;
    BITMAP* shown = backBuffer;
    game = pass.state;
    backBuffer = pass.picture;
    while (pass.done < to) {
        silentFrame(p, pass.cursor);
        p.checker.afterFrame(++pass.done);
        if (pass.done % framesPerCopy == 0) p.copies.push_back({game, pass.cursor});
    }
    pass.state = game;
    game = pass.watched;
    backBuffer = shown;
    p.differsAt = p.checker.firstDifference();
}

// Picture FRAME from the nearest copy before it, without a sound; the pass has passed it.
bool showFrame(Playback& p, int64_t frame) {
    const Copy& from = p.copies[static_cast<size_t>((frame - 1) / framesPerCopy)];
    game = from.state;
    KeyCursor c = from.cursor;
    for (int64_t f = (frame - 1) / framesPerCopy * framesPerCopy + 1; f < frame; ++f)
        silentFrame(p, c);
    drawFrame();
    passRequests(false);
    p.cursor = c;
    p.shown = frame;
    p.ended = false;
    if (p.differsAt >= 0 && frame - 1 >= p.differsAt) p.differed = true;
    return !p.differed;
}

int64_t clamped(const Playback& p, int64_t frame) {
    return std::clamp<int64_t>(frame, 1, std::max<int64_t>(1, p.frames));
}
}  // namespace

bool loadPlayback(const std::string& path, std::string& why) {
    KeyScript script;
    if (!readKeyScript(path, "driftwing", script, why)) return false;
    loadPlayback(script, path);
    return true;
}

void loadPlayback(const KeyScript& script, const std::string& name) {
    Playback& p = playback;
    p.recorded = script;
    p.name = name;
    p.frames = script.frames;
    p.checker = StateChecker(&p.recorded.checks);
    p.copies.clear();
    p.copies.reserve(static_cast<size_t>(p.frames / framesPerCopy + 1));
}

bool startPlayback() {
    Playback& p = playback;
    p.copies.push_back({game, KeyCursor{}});
    p.pass = Pass{};
    p.pass.state = game;
    if (!(p.pass.picture = makePicture(8, frameWidth, frameHeight))) return false;
    p.differsAt = -1;
    p.differed = p.ended = false;
    p.sought = 0;
    p.line = PlaybackLine{};
    p.line.frames = p.frames;
    if (p.frames == 0) {
        p.ended = true;
        return true;
    }
    seekPlayback(1);
    return true;
}

void stopPlayback() {
    if (playback.pass.picture) destroy_bitmap(playback.pass.picture);
    playback.pass.picture = nullptr;
}

void passWholePlayback() { passSome(playback, playback.frames); }

int64_t playbackFrame() { return playback.shown; }
int64_t playbackFrames() { return playback.frames; }
const PlaybackLine& playbackLine() { return playback.line; }
size_t playbackMemory() { return playback.copies.capacity() * sizeof(Copy); }

bool seekPlayback(int64_t frame) {
    Playback& p = playback;
    frame = clamped(p, frame);
    passSome(p, frame - 1 - p.pass.done);
    return showFrame(p, frame);
}

bool advancePlayback(bool sounds) {
    Playback& p = playback;
    if (p.ended || p.differed) return false;
    passSome(p, p.shown - p.pass.done);
    const bool quit = handleKeys(nextKeys(p, p.cursor));
    passRequests(sounds);
    if (p.differsAt >= 0 && p.shown >= p.differsAt) p.differed = true;
    if (quit || p.shown >= p.frames) p.ended = true;
    if (p.ended || p.differed) return false;
    drawFrame();
    passRequests(sounds);
    ++p.shown;
    return true;
}

namespace {
// How the watcher is watching: paused or not, how fast, and for how long the line shows.
struct Watching {
    bool paused = false;
    int speed = normalSpeed;
    int credit = 0;  // quarter frames owed to the game
    int lineTicks = ticksLineShown;
};

// Picture FRAME now, or once the pass has come that far; the last frame is shown paused.
void seekTo(Playback& p, Watching& w, int64_t frame) {
    frame = clamped(p, frame);
    p.sought = 0;
    if (frame == p.frames) w.paused = true;
    if (p.pass.done >= frame - 1) {
        showFrame(p, frame);
    } else {
        p.sought = frame;
    }
}

// One key the watcher pressed ('+' is the key of '=' on most layouts).
void control(Playback& p, Watching& w, int key) {
    w.lineTicks = ticksLineShown;
    if (key == KEY_P || key == KEY_SPACE) {
        w.paused = !w.paused;
        w.credit = 0;
    }
    if (key == KEY_EQUALS || key == KEY_PLUS_PAD) w.speed = std::min(w.speed + 1, 5);
    if (key == KEY_MINUS || key == KEY_MINUS_PAD) w.speed = std::max(w.speed - 1, 0);
    const int64_t at = p.sought ? p.sought : p.shown;
    if (w.paused && key == KEY_STOP && !p.sought && p.shown < p.frames) advancePlayback(false);
    if (w.paused && key == KEY_COMMA && at > 1) seekTo(p, w, at - 1);
    if (key == KEY_LEFT) seekTo(p, w, at - framesPerJump);
    if (key == KEY_RIGHT) seekTo(p, w, at + framesPerJump);
    if (key == KEY_HOME) seekTo(p, w, 1);
    if (key == KEY_END) seekTo(p, w, p.frames);
}

// One tick of the watching after its controls: the pass's slice, a jump shown once the
// pass is there, and the frames the speed owes.
void tick(Playback& p, Watching& w) {
    passSome(p, p.sought ? seekFramesPerTick : passFramesPerTick);
    if (p.sought && p.pass.done >= p.sought - 1) {
        showFrame(p, p.sought);
        p.sought = 0;
    }
    if (p.sought) return;
    for (w.credit += w.paused ? 0 : speeds[w.speed]; w.credit >= 4 && !p.ended && !p.differed;
         w.credit -= 4)
        advancePlayback(w.speed <= loudestSpeed);
}
}  // namespace

void runPlaybackLoop() {
    Playback& p = playback;
    Watching w;
    show(backBuffer, &p.line);
    while (!p.ended && !p.differed) {
        machine().pace.call();
        const FrameInput in = takeInput();
        // The window's actions first: a screenshot asked with Escape is still taken.
        if (windowActions(in, false) || (in.gameKeys & HeldEsc)) return;
        for (int i = 0; i < in.keyCount; ++i) control(p, w, in.keys[i]);
        tick(p, w);
        if (p.ended || p.differed) break;
        machine().holdMusic.call(w.paused || w.speed != normalSpeed);
        p.line.frame = p.sought ? p.sought : p.shown;
        p.line.speedQuarters = speeds[w.speed];
        p.line.paused = w.paused;
        show(backBuffer, w.paused || w.lineTicks > 0 ? &p.line : nullptr);
        if (w.lineTicks > 0) --w.lineTicks;
    }
}

bool playbackWatchedToEnd() {
    const Playback& p = playback;
    return p.ended || (p.frames > 0 && p.shown == p.frames);
}

int finishPlayback() {
    Playback& p = playback;
    if (p.differed) {
        p.checker.reportDifference("driftwing", p.frames);
        return 1;
    }
    if (!playbackWatchedToEnd()) return 0;  // the player quit before the end
    // Left at the last frame, the watcher has seen it all: the pass ends it.
    if (!p.ended) passWholePlayback();
    return verdictOf(p.checker, p.recorded, "driftwing", p.name, p.frames);
}
