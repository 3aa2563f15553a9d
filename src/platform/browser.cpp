// browser.cpp -- the browser platform: frames into the page's canvas, its keys, pad and Web Audio
#include "platform/browser.h"

#include <cstdio>
#include <cstdlib>

#include "platform/pacer.h"

// The page's half of the platform (browser.js), and what the page offers around the game
// (browser_share.js): from dw_take_buttons on.
extern "C" {
int dw_open(int frameWidth, int frameHeight, int bandRows, int scale);
void dw_map_key(const char* code, int key);
void dw_present(const uint32_t* frame, const uint32_t* band);
void dw_leave();
int dw_read_input(int* events, int room);
void dw_read_pad(uint32_t* state);
void dw_sleep_until(double milliseconds);
void dw_sample(const void* data, int bits, int stereo, int rate, int length, int volume, int pan,
               int frequency, int loop);
void dw_loudness(int music, int effects);
void dw_hold_music(int held);
int dw_set_fullscreen(int wanted);
void dw_screen(int* screen);
uint32_t dw_take_buttons();
void dw_download(const char* name, const void* bytes, size_t size, const char* type);
void dw_show_message(const char* text);
int dw_result_length();
void dw_copy_result(void* to);
int dw_location_hash();
int dw_address();
void dw_set_location_hash(const char* hash);
int dw_copy_text(const char* text);
int dw_deflate(const void* bytes, size_t size);
int dw_inflate(const char* text, size_t maxBytes);
int dw_dropped_waiting();
int dw_take_dropped(size_t maxBytes, int* lengths);
void dw_copy_result_name(void* to);
}

namespace {
// A key's place on the keyboard (KeyboardEvent.code) and Allegro's number for it, as the
// desktop's keyboard driver numbers the same key.
struct KeyPlace {
    const char* code;
    int key;
};
constexpr KeyPlace namedKeys[] = {
    {"Escape", KEY_ESC},          {"Backquote", KEY_TILDE},     {"Minus", KEY_MINUS},
    {"Equal", KEY_EQUALS},        {"Backspace", KEY_BACKSPACE}, {"Tab", KEY_TAB},
    {"BracketLeft", KEY_OPENBRACE}, {"BracketRight", KEY_CLOSEBRACE}, {"Enter", KEY_ENTER},
    {"Semicolon", KEY_COLON},     {"Quote", KEY_QUOTE},         {"Backslash", KEY_BACKSLASH},
    {"IntlBackslash", KEY_BACKSLASH2}, {"Comma", KEY_COMMA},    {"Period", KEY_STOP},
    {"Slash", KEY_SLASH},         {"Space", KEY_SPACE},         {"Insert", KEY_INSERT},
    {"Delete", KEY_DEL},          {"Home", KEY_HOME},           {"End", KEY_END},
    {"PageUp", KEY_PGUP},         {"PageDown", KEY_PGDN},       {"ArrowLeft", KEY_LEFT},
    {"ArrowRight", KEY_RIGHT},    {"ArrowUp", KEY_UP},          {"ArrowDown", KEY_DOWN},
    {"NumpadDivide", KEY_SLASH_PAD}, {"NumpadMultiply", KEY_ASTERISK},
    {"NumpadSubtract", KEY_MINUS_PAD}, {"NumpadAdd", KEY_PLUS_PAD},
    {"NumpadDecimal", KEY_DEL_PAD}, {"NumpadEnter", KEY_ENTER_PAD},
    {"NumpadEqual", KEY_EQUALS_PAD}, {"PrintScreen", KEY_PRTSCR}, {"Pause", KEY_PAUSE},
    {"IntlRo", KEY_ABNT_C1},      {"IntlYen", KEY_YEN},         {"KanaMode", KEY_KANA},
    {"Convert", KEY_CONVERT},     {"NonConvert", KEY_NOCONVERT},
    {"ShiftLeft", KEY_LSHIFT},    {"ShiftRight", KEY_RSHIFT},   {"ControlLeft", KEY_LCONTROL},
    {"ControlRight", KEY_RCONTROL}, {"AltLeft", KEY_ALT},       {"AltRight", KEY_ALTGR},
    {"MetaLeft", KEY_LWIN},       {"MetaRight", KEY_RWIN},      {"ContextMenu", KEY_MENU},
    {"ScrollLock", KEY_SCRLOCK},  {"NumLock", KEY_NUMLOCK},     {"CapsLock", KEY_CAPSLOCK},
};

// Called once by open: every key the page passes on to the game.
void mapKeys() {
    char code[16];
    for (int i = 0; i < 26; ++i) {
        std::snprintf(code, sizeof code, "Key%c", 'A' + i);
        dw_map_key(code, KEY_A + i);
    }
    for (int i = 0; i < 10; ++i) {
        std::snprintf(code, sizeof code, "Digit%d", i);
        dw_map_key(code, KEY_0 + i);
        std::snprintf(code, sizeof code, "Numpad%d", i);
        dw_map_key(code, KEY_0_PAD + i);
    }
    for (int i = 0; i < 12; ++i) {
        std::snprintf(code, sizeof code, "F%d", i + 1);
        dw_map_key(code, KEY_F1 + i);
    }
    for (const KeyPlace& place : namedKeys) dw_map_key(place.code, place.key);
}

struct Page {
    ScreenRequest request;
    // The frame and the band as the canvas takes them: RGBA, 4 bytes a pixel.
    uint32_t* frameColours = nullptr;
    uint32_t* bandColours = nullptr;
    uint32_t colours[256] = {};  // the palette as RGBA pixels
    FramePacer pacer{PacerClock{monotonicNanos, [](int64_t deadline) {
        dw_sleep_until(static_cast<double>(deadline) / 1e6);
    }}};
};
Page page;

bool open(const ScreenRequest& request) {
    if (install_allegro(SYSTEM_AUTODETECT, nullptr, atexit) != 0) {
        std::fprintf(stderr, "driftwing: cannot start the library: %s\n", allegro_error);
        return false;
    }
    set_color_depth(8);
    // The canvas shows palette index i as colour i, as a 256-colour window does.
    for (int i = 0; i < 256; ++i) palette_color[i] = i;
    if (!dw_open(request.frameWidth, request.frameHeight, request.bandRows, request.scale)) {
        std::fprintf(stderr, "driftwing: the page has no canvas for the game\n");
        return false;
    }
    page.request = request;
    std::free(page.frameColours);
    std::free(page.bandColours);
    page.frameColours = static_cast<uint32_t*>(
        std::calloc(static_cast<size_t>(request.frameWidth) * request.frameHeight, 4));
    page.bandColours = static_cast<uint32_t*>(
        std::calloc(static_cast<size_t>(request.frameWidth) * request.bandRows, 4));
    if (!page.frameColours || !page.bandColours) {
        std::fprintf(stderr, "driftwing: no memory for the page's frame\n");
        return false;
    }
    mapKeys();
    page.pacer.restart();
    return true;
}

void pace() { page.pacer.wait(); }

// Allegro's 6-bit colours as the 8-bit ones the canvas takes: the library's own table, so
// that the page shows the very colours save_bmp writes.
void showPalette(const RGB* palette) {
    for (int i = 0; i < 256; ++i) {
        page.colours[i] = static_cast<uint32_t>(_rgb_scale_6[palette[i].r & 63]) |
                          static_cast<uint32_t>(_rgb_scale_6[palette[i].g & 63]) << 8 |
                          static_cast<uint32_t>(_rgb_scale_6[palette[i].b & 63]) << 16 |
                          0xff000000u;
    }
}

// An 8-bit bitmap's top-left WIDTH x ROWS through the palette into PIXELS.
void colour(BITMAP* bitmap, int width, int rows, uint32_t* pixels) {
    const int w = bitmap->w < width ? bitmap->w : width;
    const int h = bitmap->h < rows ? bitmap->h : rows;
    for (int y = 0; y < h; ++y) {
        const unsigned char* line = bitmap->line[y];
        uint32_t* out = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < w; ++x) out[x] = page.colours[line[x]];
    }
}

void present(BITMAP* frame, BITMAP* band) {
    if (!page.frameColours) return;
    const ScreenRequest& r = page.request;
    colour(frame, r.frameWidth, r.frameHeight, page.frameColours);
    if (band) colour(band, r.frameWidth, r.bandRows, page.bandColours);
    dw_present(page.frameColours, band ? page.bandColours : nullptr);
}

int readInput(InputEvent* events, int room) {
    int taken = 0;
    int raw[3 * 32];
    while (taken < room) {
        const int want = room - taken < 32 ? room - taken : 32;
        const int got = dw_read_input(raw, want);
        for (int i = 0; i < got; ++i) {
            InputEvent& e = events[taken + i];
            e.kind = static_cast<InputEvent::Kind>(raw[3 * i]);
            e.alt = raw[3 * i + 1] != 0;
            e.key = static_cast<uint16_t>(raw[3 * i + 2]);
        }
        taken += got;
        if (got < want) break;
    }
    return taken;
}

PadState readPad() {
    uint32_t state[2] = {};
    dw_read_pad(state);
    PadState pad;
    pad.left = state[0] & 1;
    pad.right = state[0] & 2;
    pad.up = state[0] & 4;
    pad.down = state[0] & 8;
    pad.buttons = state[1];
    return pad;
}

void playSample(SAMPLE* sample, int volume, int pan, int frequency, bool loop) {
    if (!sample || !sample->data) return;
    dw_sample(sample->data, sample->bits, sample->stereo, sample->freq,
              static_cast<int>(sample->len), volume, pan, frequency, loop);
}

void setLoudness(int music, int effects) { dw_loudness(music, effects); }

void holdMusic(bool held) { dw_hold_music(held); }

bool setFullscreen(bool fullscreen) { return dw_set_fullscreen(fullscreen) != 0; }

ScreenNow screenNow() {
    int s[3] = {};
    dw_screen(s);
    ScreenNow now;
    now.scale = s[0];
    now.fullscreen = s[1] != 0;
    now.band = s[2] != 0;
    return now;
}

void leave() { dw_leave(); }

// The bytes a dw_ call left on the page's side.
std::vector<uint8_t> takeResult() {
    std::vector<uint8_t> bytes(static_cast<size_t>(dw_result_length()));
    dw_copy_result(bytes.data());
    return bytes;
}
}  // namespace

const Platform browserPlatform = {open,       pace,      showPalette,   present,
                                  readInput,  readPad,   playSample,    setLoudness,
                                  holdMusic,  setFullscreen, screenNow, leave};

void browserDownload(const char* name, const void* bytes, size_t size, const char* type) {
    dw_download(name, bytes, size, type);
}

void browserShowMessage(const char* text) { dw_show_message(text); }

std::string browserLocationHash() {
    dw_location_hash();
    const std::vector<uint8_t> bytes = takeResult();
    return std::string(bytes.begin(), bytes.end());
}

std::string browserAddress() {
    dw_address();
    const std::vector<uint8_t> bytes = takeResult();
    return std::string(bytes.begin(), bytes.end());
}

void browserSetLocationHash(const std::string& hash) { dw_set_location_hash(hash.c_str()); }

bool browserCopyText(const std::string& text) { return dw_copy_text(text.c_str()) != 0; }

std::string browserDeflateToBase64url(const std::vector<uint8_t>& bytes) {
    if (dw_deflate(bytes.data(), bytes.size()) < 0) return std::string();
    const std::vector<uint8_t> text = takeResult();
    return std::string(text.begin(), text.end());
}

Inflated browserInflateFromBase64url(const std::string& text, size_t maxBytes,
                                     std::vector<uint8_t>& out) {
    switch (dw_inflate(text.c_str(), maxBytes)) {
    case 0:
        out = takeResult();
        return Inflated::Ok;
    case 1:
        return Inflated::NotBase64url;
    case 3:
        return Inflated::TooLarge;
    default:
        return Inflated::Damaged;
    }
}

bool browserTakeDroppedFile(size_t maxBytes, DroppedFile& file) {
    int lengths[3] = {};
    // Only a file that is there is waited for: the page reads it.
    if (!dw_dropped_waiting() || !dw_take_dropped(maxBytes, lengths)) return false;
    file.bytes = takeResult();
    file.tooLarge = lengths[2] != 0;
    file.name.assign(static_cast<size_t>(lengths[1]), '\0');
    dw_copy_result_name(&file.name[0]);
    return true;
}

uint32_t browserTakePageButtons() { return dw_take_buttons(); }
