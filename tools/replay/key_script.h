// key_script.h -- reading a replay key script: which keys are held, and for how many frames
//
// A script is plain text. '#' starts a comment, blank lines are skipped, and every
// other line is "COUNT KEYS": COUNT frames (1 .. 2^31-1) holding KEYS, which is '-'
// for no key or key names joined by '+' (ESC LEFT RIGHT UP DOWN SPACE S).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One script line: hold `keys` (HeadlessKey bits) for `count` frames.
struct KeyScriptLine {
    int32_t count;
    uint32_t keys;
};

// The whole script, or the first fault in it. errorLine counts from 1; 0 when ok.
struct KeyScript {
    std::vector<KeyScriptLine> lines;
    int errorLine = 0;
    std::string error;  // what is wrong with errorLine, empty when ok

    bool ok() const { return errorLine == 0; }
};

// Called by driftwing-replay before anything runs: reads the whole script text.
// Never throws; a bad line stops the reading and is reported in the result.
KeyScript parseKeyScript(std::string_view text);

// The HeadlessKey bit of a key name such as "LEFT", or 0 for an unknown name.
uint32_t keyOfName(std::string_view name);
