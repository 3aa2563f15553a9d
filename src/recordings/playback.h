// playback.h -- a recorded game watched again: played, paused, stepped, sped up and slowed
// down, and sought to any frame
//
// Beside the game being watched the whole recording is played once more, without a
// picture or a sound, a slice between each two frames shown (an hour of play in a few
// seconds): that pass checks every game state the recording noted and keeps a copy of
// the game state every five seconds, so that any frame, backwards or forwards, is at
// most five seconds of silent frames from a copy. A jump further than the pass has come
// waits for it, the window answering all the while. The same keys give the same game, so
// the frame sought is the frame the game showed when it was recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "overlay/overlay.h"
#include "recordings/key_script.h"

// Called by main before the window opens: the recording at PATH (a script already read,
// for the page). False with the reason when it cannot be read or is no key script.
bool loadPlayback(const std::string& path, std::string& why);
void loadPlayback(const KeyScript& script, const std::string& name);

// After start-up: the recording's first picture drawn. False (after a line on standard
// error) when the pass's picture cannot be had.
bool startPlayback();

// After the loop: the pass's picture released.
void stopPlayback();

// The watcher's loop, until the recording ends, Escape, the window's close button, a quit
// asked for, or a noted state the game does not reach.
void runPlaybackLoop();

// After the loop, before finishPlayback: true when the watcher saw the recording to its end
// (its last frame played, or shown), so that finishPlayback's verdict covers all of it.
bool playbackWatchedToEnd();

// After the loop: 0 when the recorded game played out the same (or the player quit it
// before its end), otherwise 1 after saying where it went differently.
int finishPlayback();

// --- the moves of the loop, for the tests, the benchmark and the page ---

// The picture now in backBuffer (1 to playbackFrames()), and the recording's length.
int64_t playbackFrame();
int64_t playbackFrames();

// The line over the window as the loop last showed it.
const PlaybackLine& playbackLine();

// Draws picture FRAME (clamped to the recording) without a sound, the pass carried as far
// as it needs at once; false when the game passed on the way a noted state it did not reach.
bool seekPlayback(int64_t frame);

// The game's next frame, with its sounds when SOUNDS; false when the recording has ended
// (its last frame was played) or went differently.
bool advancePlayback(bool sounds);

// The pass carried through to the recording's end at once.
void passWholePlayback();

// Bytes kept for seeking.
size_t playbackMemory();
