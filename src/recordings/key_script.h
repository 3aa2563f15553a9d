// key_script.h -- key scripts and recordings: which keys are held, and for how many frames
//
// A script is plain text (a UTF-8 byte-order mark at its start is skipped). '#' starts a
// comment, blank lines are skipped, and every other line is "COUNT KEYS": COUNT frames
// (1 .. maxRunFrames, ten hours in all at most) holding KEYS, which is '-' for no key or key names joined by '+'
// (ESC LEFT RIGHT UP DOWN SPACE S).
//
// A recording is such a script whose first line is recordingHeader and whose comments
// also carry the game state at some frames: "# frame N state DIGEST" along the way and
// "# end frame N state DIGEST" as its last line, DIGEST being gameStateDigest() after
// frame N in 16 hex digits (either case). A comment that reads "frame ..." or "end ..."
// and names a state is such a note, and one that is not well formed is an error; notes
// go forward in frames, and nothing but comments follows the closing one. A recording's
// last line without its newline was cut short (a crash, a full disk) and is left out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The recorder's first line.
constexpr std::string_view recordingHeader =
    "# A game of Driftwing: driftwing --play FILE shows it again, driftwing-replay --verify "
    "FILE checks it\n";

// The longest run a line may hold, and the longest script: ten hours of frames.
constexpr int32_t maxRunFrames = 10 * 60 * 60 * 60;
constexpr int64_t maxScriptFrames = maxRunFrames;

// The largest script or recording read: anything larger is no script of ours.
constexpr size_t largestScript = size_t{64} << 20;

// One script line: hold `keys` (GameKey bits) for `count` frames.
struct KeyScriptLine {
    int32_t count;
    uint32_t keys;
};

// The game state a recording noted after one of its frames.
struct StateCheck {
    int64_t frame;
    uint64_t digest;
};

// The whole script, or the first fault in it. errorLine counts from 1; 0 when ok.
struct KeyScript {
    std::vector<KeyScriptLine> lines;
    std::vector<StateCheck> checks;  // in the order written
    int64_t frames = 0;              // the frames its lines hold, at most maxScriptFrames
    bool recording = false;          // it starts with recordingHeader
    bool ended = false;              // the last check is the closing one
    bool cutShort = false;           // a recording's unfinished last line was left out
    int errorLine = 0;
    std::string error;  // what is wrong with errorLine, empty when ok

    bool ok() const { return errorLine == 0; }
};

// Called before anything runs (driftwing --play, driftwing-replay): reads the whole text.
// Never throws; a bad line stops the reading and is reported in the result.
KeyScript parseKeyScript(std::string_view text);

// The GameKey bit of a key name such as "LEFT", or 0 for an unknown name.
uint32_t keyOfName(std::string_view name);

// The keys of a set as a script writes them ("-" or "LEFT+SPACE"), into text (32 bytes
// is enough); no allocation, for the frame loop.
void writeKeyNames(uint32_t keys, char* text);
