// video.h -- driftwing-replay --video: a recording as an MP4, WebM or GIF, with the game's sound
//
// The recording is played twice from a fresh start-up: first (in a child process, so the
// second starts from the same untouched state) to check every state it noted and to hear
// every sample the game starts; then frame by frame into the video. MP4 and WebM go
// through Debian's ffmpeg program, fed raw pictures on a pipe and the mixed sound from a
// file beside the output; GIFs are written by the runner itself.
#pragma once

#include <cstdint>
#include <string>

#include "shell/key_script.h"

enum class VideoFormat { None, Mp4, Webm, Gif };

struct VideoOptions {
    std::string path;  // the output, absolute
    VideoFormat format = VideoFormat::None;
    int scale = 2;          // each game pixel as scale x scale video pixels
    int64_t fromFrame = 0;  // the first game frame shown
    int64_t toFrame = -1;   // the first not shown; -1: the recording's end
};

constexpr int smallestVideoScale = 1, largestVideoScale = 8;

// The format an output name asks for by its extension, or None.
VideoFormat videoFormatOf(const std::string& path);

// A time in seconds ("12", "1.5", ".25") as the number of the game frame shown then
// (frame N at N/60 s, to the nearest frame). False when it is no such number.
bool readSeconds(const std::string& text, int64_t& frame);

// Called by main for --video once the options and the script are read: the whole job.
// Returns the exit code; every failure says why in one line on standard error and leaves
// no output file behind.
int makeVideo(const KeyScript& script, const std::string& scriptPath, const VideoOptions& options);
