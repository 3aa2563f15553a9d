// checker.h -- a recorded game compared, frame after frame, with the states its recording noted
#pragma once

#include <cstdint>
#include <vector>

#include "recordings/key_script.h"

// Compares the game after each frame with the states a recording noted, and keeps the
// first it did not reach (driftwing --play, driftwing-replay --verify and the page alike).
class StateChecker {
public:
    explicit StateChecker(const std::vector<StateCheck>* checks = nullptr) : checks_(checks) {}

    // Called after every frame, with how many frames have been played.
    void afterFrame(int64_t frame);

    // The first frame whose state was not the one noted; -1 while none.
    int64_t firstDifference() const;

    // When the game came out different, or the keys ended before a noted state: says so
    // on standard error, as PROGRAM, and returns true.
    bool reportDifference(const char* program, int64_t frames) const;

private:
    const std::vector<StateCheck>* checks_;
    size_t next_ = 0;            // the next noted state to compare
    StateCheck differs_{-1, 0};  // the first that differed; frame -1: none yet
    uint64_t reached_ = 0;       // the game's state there
};

// After a recording played to its end: what the checker found said as PROGRAM (1), or a
// note that it had no closing state or nothing to check against (0).
int verdictOf(const StateChecker& checker, const KeyScript& script, const char* program,
              const std::string& path, int64_t frames);

// Reads a key script or a recording whole, refusing before it reads anything what is no
// regular file, an empty file, or one over 64 MiB (why says which). Never blocks. A
// recording cut mid-line is noted on standard error, as PROGRAM. False with WHY ("line N:
// ..." for a line that is no key-script line).
bool readKeyScript(const std::string& path, const char* program, KeyScript& script,
                   std::string& why);

// The same for a text already read whole (the page's link or dropped file), NAME standing
// for its path in the note: refuses an empty one.
bool readKeyScriptText(const std::string& text, const std::string& name, const char* program,
                       KeyScript& script, std::string& why);
