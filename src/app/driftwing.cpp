// driftwing.cpp -- Driftwing on the desktop: read the command line, start the game in a window
// (recording it or playing a recording back), play until Escape, the close button or a signal
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/options.h"
#include "platform/window.h"
#include "recordings/playback.h"
#include "recordings/recorder.h"
#include "spine/frame.h"
#include "spine/input.h"
#include "spine/loop.h"
#include "spine/machine.h"
#include "spine/screenshot.h"
#include "state/assets.h"
#include "system/signals.h"

namespace {
// The window as the player chose it, and the session in it; 0 or the exit code.
int start(const Settings& settings) {
    useMachine(windowPlatform);
    useControls(settings.keys, settings.pad);
    ScreenRequest request = frameScreen();
    request.scale = settings.display.scale;
    request.fullscreen = settings.display.fullscreen;
    request.padDevice = settings.pad.device.c_str();
    if (!machine().open.call(request)) return 1;
    if (!startLoop(settings.display, settings.sound)) return 1;
    return startSession();
}

// The recorded game watched: 0, or 1 when it played out differently.
int watch() {
    const bool watched = startPlayback();
    if (watched) runPlaybackLoop();
    stopPlayback();
    return watched ? finishPlayback() : 1;
}
}  // namespace

int main(int argc, char** argv) {
    catchQuitSignals();
    CommandLine commandLine;
    if (int exitCode = readCommandLine(argc, argv, commandLine); exitCode >= 0) return exitCode;
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
    const Settings settings = settingsFor(commandLine);
    if (recording) onEndingAtOnce(rescueRecording);
    if (int failure = start(settings); failure != 0) {
        if (recording) abandonRecording();
        std::exit(failure);
    }
    if (recording) publishRecording();
    int status = 0;
    if (playing) {
        status = watch();
    } else {
        runLoop(recording ? recordingHooks() : LoopHooks{});
    }
    finishScreenshots();
    shutdownSession();
    // A signal's code first; then any recording that could not be written whole, or a
    // recorded game that played out differently.
    if (recording) status = std::max(status, finishRecording());
    std::exit(quitAsked() ? quitAsked() : status);
}
END_OF_MAIN()
