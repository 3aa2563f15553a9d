// demo.cpp -- the browser page's machinery on its own: title frame 1 and its score line drawn by
// Allegro into the canvas every frame, the keys logged, the shot sound on Space over the music
//
// A stand-in for the game on the page until the game's own loop runs there.
#include <allegro.h>

#include <cstdio>
#include <string>

#include "platform/browser.h"

namespace {
constexpr int scoreColour = 15, scoreDigits = 9, digitsX = 56, digitPitch = 10;
constexpr size_t largest = 64 * 1024;  // bytes a link or a dropped file may hold

// The page's address ending in #r= and a deflated text: says how many bytes it holds, or
// what is wrong with it.
void readLink() {
    const std::string hash = browserLocationHash();
    if (hash.compare(0, 2, "r=") != 0) return;
    std::vector<uint8_t> bytes;
    char line[96];
    switch (browserInflateFromBase64url(hash.substr(2), largest, bytes)) {
    case Inflated::Ok:
        std::snprintf(line, sizeof line, "link: %zu bytes", bytes.size());
        break;
    case Inflated::NotBase64url:
        std::snprintf(line, sizeof line, "link: not base64url");
        break;
    case Inflated::Damaged:
        std::snprintf(line, sizeof line, "link: damaged or cut");
        break;
    case Inflated::TooLarge:
        std::snprintf(line, sizeof line, "link: over %zu bytes", largest);
        break;
    }
    browserShowMessage(line);
}

// The keys seen so far as a link in the page's address and on the clipboard.
void makeLink(const std::string& log) {
    const std::string text = browserDeflateToBase64url(std::vector<uint8_t>(log.begin(), log.end()));
    browserSetLocationHash("r=" + text);
    browserShowMessage(browserCopyText(text) ? "link copied" : "link in the address");
}

// Loads a data file with the library's loader; names it on the page when it cannot.
template <typename Thing, typename Load>
Thing* loaded(const char* path, Load load) {
    Thing* thing = load(path);
    if (!thing) std::fprintf(stderr, "driftwing: cannot load %s\n", path);
    return thing;
}
}  // namespace

int main() {
    const Platform& platform = browserPlatform;
    ScreenRequest request;
    if (!platform.open.call(request)) return 1;
    PALETTE sheetPalette, backPalette;
    BITMAP* sheet = loaded<BITMAP>("data/main2.bmp", [&](const char* p) { return load_bmp(p, sheetPalette); });
    BITMAP* back = loaded<BITMAP>("data/back.bmp", [&](const char* p) { return load_bmp(p, backPalette); });
    SAMPLE* shot = loaded<SAMPLE>("data/effect.wav", load_wav);
    SAMPLE* music = loaded<SAMPLE>("data/gmsong.wav", load_wav);
    BITMAP* frame = create_bitmap_ex(8, request.frameWidth, request.frameHeight);
    BITMAP* band = create_bitmap_ex(8, request.frameWidth, request.bandRows);
    if (!sheet || !back || !shot || !music || !frame || !band) {
        platform.leave.call();
        return 1;
    }
    platform.showPalette.call(backPalette);
    platform.setLoudness.call(100, 100);
    platform.playSample.call(music, 255, 128, 1000, true);
    readLink();

    std::string log;  // every key event: "FRAME down|up|focus KEY"
    int keysSeen = 0;
    bool musicHeld = false, fullscreen = false;
    for (long n = 1;; ++n) {
        blit(sheet, frame, 0, 0, 0, 0, request.frameWidth, request.frameHeight);
        textout_ex(frame, font, "SCORE: ", 0, 0, palette_color[scoreColour], 0);
        for (int i = 0; i < scoreDigits; ++i)
            textout_ex(frame, font, "0", digitsX + digitPitch * i, 0, palette_color[scoreColour], 0);

        InputEvent events[64];
        const int got = platform.readInput.call(events, 64);
        for (int i = 0; i < got; ++i) {
            const InputEvent& e = events[i];
            static const char* const kinds[] = {"down", "up", "close", "focus"};
            char line[64];
            std::snprintf(line, sizeof line, "%ld %s %d%s\n", n, kinds[e.kind], e.key,
                          e.alt ? " alt" : "");
            log += line;
            ++keysSeen;
            std::printf("key %s", line);
            if (e.kind != InputEvent::KeyDown) continue;
            if (e.key == KEY_SPACE) platform.playSample.call(shot, 255, 128, 1000, false);
            if (e.key == KEY_P) platform.holdMusic.call(musicHeld = !musicHeld);
            if (e.key == KEY_F11) fullscreen = platform.setFullscreen.call(!fullscreen) ? !fullscreen : fullscreen;
        }
        const uint32_t pressed = browserTakePageButtons();
        if (pressed & SaveRecordingButton)
            browserDownload("demo.keys", log.data(), log.size(), "text/plain");
        if (pressed & CopyLinkButton) makeLink(log);
        DroppedFile dropped;
        if (browserTakeDroppedFile(largest, dropped)) {
            char line[160];
            std::snprintf(line, sizeof line, "dropped %s: %s%zu bytes", dropped.name.c_str(),
                          dropped.bytes.size() > largest ? "over " : "",
                          dropped.bytes.size() > largest ? largest : dropped.bytes.size());
            browserShowMessage(line);
        }
        // The band below the frame, where the page has room for it, counts the keys.
        const bool banded = keysSeen > 0 && platform.screenNow.call().band;
        if (banded) {
            clear_to_color(band, 0);
            textprintf_ex(band, font, 0, 4, palette_color[scoreColour], 0, "KEYS: %d", keysSeen);
        }
        platform.present.call(frame, banded ? band : nullptr);
        platform.pace.call();
    }
}
