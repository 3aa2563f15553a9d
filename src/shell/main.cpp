// main.cpp -- Driftwing: read the command line, start the game in a window, play until
// Escape or the close button
#include <cstdlib>

#include "shell/frame.h"
#include "shell/options.h"
#include "shell/platform.h"

int main(int argc, char** argv) {
    CommandLine commandLine;
    if (int exitCode = readCommandLine(argc, argv, commandLine); exitCode >= 0) return exitCode;
    useCommandLine(commandLine);
    usePlatform(windowPlatform);
    int failure = startUp();
    if (failure != 0) std::exit(failure);
    runFrameLoop();
    shutdownAssets();
    std::exit(0);
}
END_OF_MAIN()
