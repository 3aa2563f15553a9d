// main.cpp -- Driftwing: start the game in a window, play until Escape or the close button
#include <cstdlib>

#include "shell/frame.h"
#include "shell/platform.h"

int main(int, char**) {
    usePlatform(windowPlatform);
    int failure = startUp();
    if (failure != 0) std::exit(failure);
    runFrameLoop();
    shutdownAssets();
    std::exit(0);
}
END_OF_MAIN()
