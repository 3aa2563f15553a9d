// assets.h -- the three pictures and three sounds the game reads from data/ at start-up
#pragma once

#include <allegro.h>

#include <string>

// Files, relative to the folder that holds data/ (the working folder unless
// useAssetFolder says otherwise), in load order.
extern const char* const spriteSheetFile;
extern const char* const backdropFile;
extern const char* const titleSheetFile;
extern const char* const shotSoundFile;
extern const char* const blastSoundFile;
extern const char* const musicLoopFile;

// The frame the game draws, whatever the window shows it at.
constexpr int frameWidth = 320, frameHeight = 300;

extern BITMAP* backBuffer;   // the off-screen frame every draw goes into (frameWidth x frameHeight)
extern BITMAP* spriteSheet;  // every sprite and the banner
extern BITMAP* backdrop;     // the scrolling background, 320 x 600
extern BITMAP* titleSheet;   // the two title frames side by side
extern SAMPLE* shotSound;
extern SAMPLE* blastSound;
extern SAMPLE* musicLoop;
extern PALETTE spritePalette;  // filled by main.bmp, then back.bmp; selected after the loads
extern PALETTE titlePalette;   // filled by main2.bmp

// Called by initSession: loads the six files in order and asks for spritePalette to be shown.
// On any failure every loaded asset is released again, the failing file is
// remembered for failedAsset(), and false is returned.
bool loadAssets();

// Called before start-up: the folder holding data/; empty for the working folder.
void useAssetFolder(const std::string& dataFolder);

// The file whose load failed last, as the game looked for it, or nullptr.
const char* failedAsset();

// Checks that a file looks like a picture (or sound) the library can read in
// full, before the library is asked to: missing, empty, truncated files, other
// formats and absurd sizes are refused here.
bool bmpFileIsReadable(const char* path);
bool wavFileIsReadable(const char* path);

// Destroys the six assets (those that exist) and sets their handles to null.
void releaseAssets();
