// main.cpp -- Driftwing: read the command line, start the game in a window (recording it or
// playing a recording back), play until Escape, the close button or a signal
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/options.h"
#include "platform/platform.h"
#include "platform/quit.h"
#include "platform/window.h"
#include "shell/frame.h"
#include "shell/playback.h"
#include "shell/recording.h"
#include "state/assets.h"

int main(int argc, char** argv) {
    catchQuitSignals();
    CommandLine commandLine;
    if (int exitCode = readCommandLine(argc, argv, commandLine); exitCode >= 0) return exitCode;
    useCommandLine(commandLine);
    useAssetFolder(findDataFolder(commandLine.dataDir));
    const bool recording = !commandLine.recordPath.empty(), playing = !commandLine.playPath.empty();
    std::string why;
    if (recording && !startRecording(commandLine.recordPath, commandLine.overwrite, why)) {
        std::fprintf(stderr, "driftwing: cannot record into %s: %s\n",
                     commandLine.recordPath.c_str(), why.c_str());
        return 1;
    }
    if (playing && !loadPlayback(commandLine.playPath, why)) {
        std::fprintf(stderr, "driftwing: cannot play %s: %s\n", commandLine.playPath.c_str(),
                     why.c_str());
        return 1;
    }
    usePlatform(recording ? recordingPlatform(windowPlatform)
                : playing ? playbackPlatform(windowPlatform)
                          : windowPlatform);
    if (recording) platformOnDisplayLost(rescueRecording);
    if (int failure = startUp(); failure != 0) {
        if (recording) abandonRecording();
        std::exit(failure);
    }
    if (recording) publishRecording();
    bool watched = true;
    if (playing) {
        watched = startPlayback();
        if (watched) runPlaybackLoop();
        stopPlayback();
    } else {
        runFrameLoop();
    }
    shutdownAssets();
    // A signal's code first; then any recording that could not be written whole, or a
    // recorded game that played out differently.
    int status = recording ? finishRecording() : 0;
    if (playing) status = std::max(status, watched ? finishPlayback() : 1);
    std::exit(quitAsked() ? quitAsked() : status);
}
END_OF_MAIN()
