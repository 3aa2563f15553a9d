// recording_test.cpp -- a game recorded by the shell's recorder: what its file holds, and the
// same game played back from it
#include "recordings/recorder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless.h"
#include "recordings/key_script.h"
#include "recordings/playback.h"
#include "spine/frame.h"
#include "spine/machine.h"
#include "state/game_state.h"
#include "state/keys.h"
#include "unit/session.h"

namespace {
std::string text(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// Plays a recorded file from a fresh start; finishPlayback's verdict.
int playBack(const std::string& path) {
    std::string why;
    EXPECT_EQ(startFreshSession(), 0);
    if (!loadPlayback(path, why)) {
        ADD_FAILURE() << why;
        return -1;
    }
    EXPECT_TRUE(startPlayback());
    runPlaybackLoop();
    stopPlayback();
    testing::internal::CaptureStderr();
    const int verdict = finishPlayback();
    testing::internal::GetCapturedStderr();
    return verdict;
}
}  // namespace

TEST_F(Session, ARecordingNotesTheStateAndPlaysBackAsTheSameGame) {
    const std::string path = "/tmp/driftwing-recording-" + std::to_string(getpid()) + ".keys";
    std::string why;
    ASSERT_TRUE(startRecording(path, true, why)) << why;
    publishRecording();
    const LoopHooks hooks = recordingHooks();
    for (int frame = 1; frame <= 1900; ++frame) {
        const uint32_t keys = frame % 97 < 40 ? HeldS | HeldSpace : frame % 7 ? uint32_t{HeldLeft} : 0u;
        hooks.keysOfFrame(keys);
        ASSERT_FALSE(runFrame(keys));
        hooks.frameEnded();
    }
    const uint64_t end = gameStateDigest();
    finishRecording();

    const KeyScript recorded = parseKeyScript(text(path));
    ASSERT_TRUE(recorded.ok() && recorded.ended);
    ASSERT_EQ(recorded.checks.size(), 4u) << "every ten seconds and at the end";
    EXPECT_EQ(recorded.checks[0].frame, 600);
    EXPECT_EQ(recorded.checks[2].frame, 1800);
    EXPECT_EQ(recorded.checks[3].frame, 1900);
    EXPECT_EQ(recorded.checks[3].digest, end);
    int64_t frames = 0;
    for (const KeyScriptLine& line : recorded.lines) {
        EXPECT_LE(line.count, 60) << "written out every second";
        frames += line.count;
    }
    EXPECT_EQ(frames, 1900);

    EXPECT_EQ(playBack(path), 0);
    EXPECT_EQ(gameStateDigest(), end);
    std::remove(path.c_str());
}
