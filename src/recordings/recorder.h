// recorder.h -- a game's keys written down as it is played: a recording
//
// A recording is a key script (recordings/key_script.h): one line for each run of frames
// with the same keys, written out at least once a second so that a crash loses at most the
// last second, the game state noted every ten seconds and after the last frame. Only the
// game keys go into it; pausing, the window's scale and fullscreen do not change the game
// and are left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "spine/loop.h"

// Called by main before the window opens: the recording is made ready under a name of its
// own beside PATH, and an existing PATH is left as it is (with overwrite it is to be
// replaced). False with the reason when it cannot be: PATH exists without overwrite, is
// a folder, is being recorded into by another game, or its folder takes no new file.
bool startRecording(const std::string& path, bool overwrite, std::string& why);

// Called by a program that keeps its recording itself (the page): every whole line goes
// to WRITE instead of a file, which returns false when it cannot take it.
void startRecordingInto(bool (*write)(const char* text, size_t size));

// Called by a program that keeps its recording itself, between frames (the page's Save
// recording and Copy link): what would end the recording after its last whole frame, beyond
// what WRITE took so far: the lines held back, the run in progress and the closing note
// "# end frame N state DIGEST". What WRITE took and then this are a whole recording; the
// recording goes on unchanged. Empty when nothing is being recorded.
std::string recordingEndingNow();

// Called by main once the game has started: the recording takes PATH's name (replacing
// the old file, or a link, not what it points to). When it cannot, one line says why and
// the game goes on unrecorded.
void publishRecording();

// The loop's hooks that record each frame's keys.
LoopHooks recordingHooks();

// After the frame loop: writes the closing line and closes the file. 0 when every write
// went through, 1 when the recording stopped early (a line on standard error said why).
int finishRecording();

// Start-up failed: the file made ready goes again, and PATH is as it was.
void abandonRecording();

// The game is ending without its normal quit path (the display lost), called from any
// thread: the runs so far and the closing line for the last whole frame are written.
void rescueRecording();
