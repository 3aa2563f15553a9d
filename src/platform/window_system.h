// window_system.h -- what the window needs of the desktop's own system beneath the library:
// X11 on Linux, DirectX on Windows
#pragma once

// Asks the window manager to show the window fullscreen (X11); without one, the corner.
void coverDesktop();
// Called by open before the library starts: a lost display ends the game at once, saying so.
void watchDisplay();
// Called by open before the library starts: the window it makes is the game's (X11's
// class driftwing/Driftwing), without the library's logo.
void nameWindow();
// Called by open once the library has made the window: the game's icon on it (X11).
void showWindowIcon();
// Reads the window's events (keys, focus, the close button) on the game's own thread, now.
void readWindowEvents();
// Sends the picture just copied on to the display at once.
void sendPicture();
// Called around the library's start: its threads are started with a timer slack of 9 ms.
void slackenLibraryThreads(bool starting);

// The graphics drivers asked for fullscreen and for a window, in order; 0 ends a list.
extern const int fullscreenDrivers[];
extern const int windowDrivers[];
// Whether the driver's retrace wait may be a real one, to be tried (else the clock paces).
extern const bool retraceIsReal;
// Whether every row goes to the screen every frame (Wine loses the first copies otherwise).
extern const bool everyRowEveryFrame;
