// browser.h -- the browser page under the game: its platform table, and what else the page offers
//
// The canvas, the keys, the pad and Web Audio are reached through browserPlatform. The rest
// is for the page's own work (recordings offered as downloads, links, dropped files, the
// message line) and exists only in the browser build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

extern const Platform browserPlatform;

// Offers BYTES to the player as a download named NAME, of the MIME type TYPE.
void browserDownload(const char* name, const void* bytes, size_t size, const char* type);

// Shows TEXT on the page's message line, in place of what it said; "" empties the line.
void browserShowMessage(const char* text);

// The page's address after its '#' (without it); "" when it has none.
std::string browserLocationHash();

// The page's whole address, as the browser shows it.
std::string browserAddress();

// Puts '#' and HASH at the end of the page's address in place of the old one, without a
// new entry in the browser's history; "" takes the '#' part away.
void browserSetLocationHash(const std::string& hash);

// Puts TEXT on the clipboard; false when the browser refused (no permission, no focus).
bool browserCopyText(const std::string& text);

// BYTES compressed by the browser's CompressionStream('deflate-raw'), in base64url
// without padding.
std::string browserDeflateToBase64url(const std::vector<uint8_t>& bytes);

// What browserInflateFromBase64url made of a text.
enum class Inflated { Ok, NotBase64url, Damaged, TooLarge };

// TEXT as base64url (padding allowed), inflated by DecompressionStream('deflate-raw') into
// OUT. Inflating stops past MAX_BYTES (TooLarge); a cut or damaged stream is Damaged.
Inflated browserInflateFromBase64url(const std::string& text, size_t maxBytes,
                                     std::vector<uint8_t>& out);

// A file dropped on the page since the last call.
struct DroppedFile {
    std::string name;
    std::vector<uint8_t> bytes;  // all of them; none when it is too large
    bool tooLarge = false;       // it holds more than the bytes asked for
};

// True with the oldest file dropped and not yet taken: its bytes when there are at most
// MAX_BYTES of them (a larger file is not read).
bool browserTakeDroppedFile(size_t maxBytes, DroppedFile& file);

// The page's buttons for recordings pressed since the last call (fullscreen is the page's
// own: it asks the browser at once, within the click), and the address's part after '#'
// changed by the player (a link pasted into an open page).
enum PageButton : uint32_t {
    SaveRecordingButton = 1 << 0,
    CopyLinkButton = 1 << 1,
    LinkChanged = 1 << 2,
};
uint32_t browserTakePageButtons();
