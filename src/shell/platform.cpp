// platform.cpp -- dispatch from the game to the chosen platform
#include "shell/platform.h"

namespace {
const Platform* current = &windowPlatform;
}

void usePlatform(const Platform& platform) {
    current = &platform;
}

bool platformOpen() {
    return current->open();
}
int platformScreenWidth() {
    return current->screenWidth;
}
int platformScreenHeight() {
    return current->screenHeight;
}
void platformWaitRetrace() {
    current->waitRetrace();
}
void platformPresent(BITMAP* frame) {
    current->present(frame);
}
void platformPollKeyboard() {
    current->pollKeyboard();
}
void platformPlaySample(const char* cue, SAMPLE* sample, int volume, int pan, int frequency,
                        int loop) {
    current->playSample(cue, sample, volume, pan, frequency, loop);
}
bool platformCloseRequested() {
    return current->closeRequested();
}
void platformLeaveGraphics() {
    current->leaveGraphics();
}
