// platform.cpp -- dispatch from the game to the chosen platform
#include "platform/platform.h"

#include "platform/headless.h"

namespace {
const Platform* current = &headlessPlatform;  // until main opens the window
void (*displayLostSave)() = nullptr;
}  // namespace

void platformOnDisplayLost(void (*save)()) { displayLostSave = save; }
void (*platformDisplayLostSave())() { return displayLostSave; }

void usePlatform(const Platform& platform) { current = &platform; }

bool platformOpen() { return current->open.call(); }
void platformWaitRetrace() { current->waitRetrace.call(); }
void platformPresent(BITMAP* frame) { current->present.call(frame); }
uint32_t platformPollKeys() { return current->pollKeys.call(); }
void platformPlaySample(const char* cue, SAMPLE* sample, int volume, int pan, int frequency,
                        int loop) {
    current->playSample.call(cue, sample, volume, pan, frequency, loop);
}
void platformShowPalette(const RGB* palette) { current->showPalette.call(palette); }
bool platformBetweenFrames(bool gameInProgress) {
    return current->betweenFrames.call(gameInProgress);
}
void platformLeaveGraphics() { current->leaveGraphics.call(); }
uint32_t platformPlaybackControls() { return current->playbackControls.call(); }
void platformShowPlaybackLine(const PlaybackLine* line) { current->showPlaybackLine.call(line); }
void platformHoldMusic(bool held) { current->holdMusic.call(held); }
