// main.cpp -- Driftwing: read the command line, start the game in a window (recording it or
// playing a recording back), play until Escape or the close button
#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/frame.h"
#include "shell/options.h"
#include "shell/platform.h"
#include "shell/recording.h"
#include "state/assets.h"

int main(int argc, char** argv) {
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
    if (int failure = startUp(); failure != 0) {
        if (recording) abandonRecording();
        std::exit(failure);
    }
    runFrameLoop();
    shutdownAssets();
    if (recording) finishRecording();
    std::exit(playing ? finishPlayback() : 0);
}
END_OF_MAIN()
