// video.h -- driftwing-replay --video: a recording as an MP4, WebM or GIF, with the game's sound
//
// The recording is played twice, each time from a fresh session: first to check every state
// it noted and to hear every sample the game starts; then frame by frame into the video.
// MP4 and WebM go through Debian's ffmpeg program, fed raw pictures on a pipe and the mixed
// sound from a part file beside the output; GIFs are written by the runner itself. The
// output is made like a recording (system/io.h's NewFile): refused when it exists unless
// --force, never the recording itself, its part files exclusive and gone on any failure or
// signal, ffmpeg ended and waited for.
#pragma once

#include <cstdint>
#include <string>

#include "recordings/key_script.h"

enum class VideoFormat { None, Mp4, Webm, Gif };

struct VideoOptions {
    std::string path;  // the output, absolute
    VideoFormat format = VideoFormat::None;
    int scale = 2;          // each game pixel as scale x scale video pixels
    int64_t fromFrame = 0;  // the first game frame shown (at least frame 1)
    int64_t toFrame = -1;   // the first not shown; -1: the recording's end
    bool overwrite = false;  // --force: an existing output is replaced
};

constexpr int smallestVideoScale = 1, largestVideoScale = 8;

// The format an output name asks for by its extension, or None.
VideoFormat videoFormatOf(const std::string& path);

// A time in seconds ("12", "1.5", ".25") as the number of the game frame shown then
// (frame N at N/60 s, to the nearest frame). False when it is no such number.
bool readSeconds(const std::string& text, int64_t& frame);

// The runner's exit code for a command line that asks for what cannot be made.
constexpr int exitBadInput = 2;

// Called by main for --video once the options and the script are read: the whole job.
// Video frame k is the game's frame F + k (a GIF's, F + 2k), F the frame at --from, frame
// 1 for the whole game. Returns the exit code; every failure says why in one line on
// standard error and leaves no file behind; a quit signal's code is 128 + its number.
int makeVideo(const KeyScript& script, const std::string& scriptPath, const VideoOptions& options);
