// recording.h -- a game's keys written to a file as it is played, and a recorded game played again
//
// A recording is a key script (shell/key_script.h): one line for each run of frames with
// the same keys, written out at least once a second so that a crash loses at most the
// last second, the game state noted every ten seconds and after the last frame. Only
// the game keys go into it; pausing, the window's scale and fullscreen do not change
// the game and are left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/key_script.h"

// Compares the game after each frame with the states a recording noted, and keeps the
// first it did not reach (driftwing --play and driftwing-replay --verify alike).
class StateChecker {
public:
    explicit StateChecker(const std::vector<StateCheck>* checks = nullptr) : checks_(checks) {}

    // Called after every frame, with how many frames have been played.
    void afterFrame(int64_t frame);

    // The first frame whose state was not the one noted; -1 while none.
    int64_t firstDifference() const;

    // When the game came out different: says where on standard error, as PROGRAM, and
    // returns true.
    bool reportDifference(const char* program, int64_t frames) const;

private:
    const std::vector<StateCheck>* checks_;
    size_t next_ = 0;            // the next noted state to compare
    StateCheck differs_{-1, 0};  // the first that differed; frame -1: none yet
    uint64_t reached_ = 0;       // the game's state there
};

// Called by main before the window opens: the recording is made ready under a name of
// its own beside PATH, and an existing PATH is left as it is (with overwrite it is to be
// replaced). False with the reason when it cannot be: PATH exists without overwrite, is
// a folder, is being recorded into by another game, or its folder takes no new file.
bool startRecording(const std::string& path, bool overwrite, std::string& why);

// Called by main once the game has started: the recording takes PATH's name (replacing
// the old file, or a link, not what it points to). When it cannot, one line says why and
// the game goes on unrecorded.
void publishRecording();

// Reads a key script or a recording whole, refusing before it reads anything what is no
// regular file, an empty file, or one over 64 MiB (why says which). Never blocks.
bool readScriptFile(const std::string& path, std::string& text, std::string& why);

// The window platform with its keys recorded.
const Platform& recordingPlatform(const Platform& window);

// After the frame loop: writes the closing line and closes the file. 0 when every write
// went through, 1 when the recording stopped early (a line on standard error said why).
int finishRecording();

// Start-up failed: the file made ready goes again, and PATH is as it was.
void abandonRecording();

// The game is ending without its normal quit path (the display lost), called from any
// thread: the runs so far and the closing line for the last whole frame are written.
void rescueRecording();
