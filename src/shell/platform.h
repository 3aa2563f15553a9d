// platform.h -- the thin layer between the game and the machine: window, retrace, keys, sound
//
// Only the platform files touch the real screen, the keyboard device, the clock
// and the sound device. The game calls these functions; which platform answers
// them is chosen once, before start-up: the real window or the headless one.
#pragma once

#include <allegro.h>

struct Platform {
    // Start-up steps up to the graphics mode. False when no window can be had
    // (a one-line reason has been printed on standard error).
    bool (*open)();
    int screenWidth, screenHeight;  // size of the frame the game draws
    void (*waitRetrace)();          // paces the loop at 60 frames a second
    void (*present)(BITMAP* frame);  // copies the finished frame to the screen
    void (*pollKeyboard)();          // brings the key array up to date
    void (*playSample)(const char* cue, SAMPLE* sample, int volume, int pan, int frequency,
                       int loop);
    bool (*closeRequested)();  // the window's close button was pressed
    void (*leaveGraphics)();   // back to text mode before a start-up failure message
};

// The real desktop window, keyboard and sound card.
extern const Platform windowPlatform;

// No window, no keyboard, no sound: see shell/headless.h.
extern const Platform headlessPlatform;

// Chooses the platform; called once, before startUp.
void usePlatform(const Platform& platform);

bool platformOpen();
int platformScreenWidth();
int platformScreenHeight();
void platformWaitRetrace();
void platformPresent(BITMAP* frame);
void platformPollKeyboard();
void platformPlaySample(const char* cue, SAMPLE* sample, int volume, int pan, int frequency,
                        int loop);
bool platformCloseRequested();
void platformLeaveGraphics();
