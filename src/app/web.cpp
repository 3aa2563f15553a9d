// web.cpp -- Driftwing in a web page: the game played and recorded, a recording from a link or a
// dropped file watched and checked, and the page's buttons between frames
//
// The desktop's main (driftwing.cpp) mirrored for a page that never ends: each session starts
// at the title and ends with Escape (the page starts the title again), a recording to watch
// (a link opened, a file dropped), or the watched recording's end (its verdict stays on the
// page's line and the title comes back to play).
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/browser.h"
#include "recordings/checker.h"
#include "recordings/key_script.h"
#include "recordings/playback.h"
#include "recordings/recorder.h"
#include "spine/frame.h"
#include "spine/input.h"
#include "spine/loop.h"
#include "spine/machine.h"
#include "spine/screenshot.h"
#include "state/assets.h"
#include "state/game_state.h"
#include "system/text.h"

namespace {
constexpr size_t longestLink = 100000;              // characters after #r=
constexpr size_t recordingRoom = size_t{1} << 20;  // reserved: no frame of the loop allocates

// What the page keeps between frames and sessions.
struct Page {
    std::string recording;  // the session's recording as the recorder wrote it so far
    std::string lastGame;   // the whole recording of the last session with a game in it
    bool played = false;    // the session's game has started (S)
    bool watching = false;  // the session watches `watched`
    KeyScript watched;
    std::string watchedText, watchedName;
    bool toWatch = false;  // `next` is watched in the next session
    KeyScript next;
    std::string nextText, nextName;
};
Page page;

// The recorder's writer: every whole line into the room reserved for it.
bool keep(const char* text, size_t size) {
    page.recording.append(text, size);
    return true;
}

// "driftwing-YYYYMMDD-HHMMSS" and EXTENSION, of the local time now.
std::string nameNow(const char* extension) {
    const std::time_t now = std::time(nullptr);
    char stamp[64] = "driftwing";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "driftwing-%Y%m%d-%H%M%S", local);
    return stamp + std::string(extension);
}

// F12: the PNG downloaded.
void downloadScreenshot(const std::string& name, const unsigned char* png, size_t size) {
    browserDownload(name.c_str(), png, size, "image/png");
    browserShowMessage(("saved a screenshot as " + name).c_str());
}

// The game the buttons offer: the one watched; else the session's once its game started, or
// when no game ended before it; else the last that ended. Whole, with its closing note.
std::string offered() {
    if (page.watching) return page.watchedText;
    if (page.played || page.lastGame.empty()) return page.recording + recordingEndingNow();
    return page.lastGame;
}

// "N frames, closing state DIGEST" of a recording's text, or "N frames" without a closing note.
std::string described(const std::string& text) {
    const KeyScript script = parseKeyScript(text);
    char line[96];
    if (script.ended && !script.checks.empty())
        std::snprintf(line, sizeof line, "%" PRId64 " frames, closing state %016" PRIx64,
                      script.frames, script.checks.back().digest);
    else
        std::snprintf(line, sizeof line, "%" PRId64 " frames", script.frames);
    return line;
}

// Save recording: the offered game downloaded as a .keys file the desktop reads.
void saveRecording() {
    const std::string text = offered(), name = nameNow(".keys");
    browserDownload(name.c_str(), text.data(), text.size(), "text/plain");
    browserShowMessage(("saved " + name + ": " + described(text)).c_str());
}

// Copy link: the offered game deflated into the page's address, and the address copied.
void copyLink() {
    const std::string text = offered();
    const std::string packed = browserDeflateToBase64url(std::vector<uint8_t>(text.begin(), text.end()));
    std::string said;
    if (packed.empty()) {
        said = "the browser could not compress the recording: Save recording keeps it";
    } else if (packed.size() > longestLink) {
        said = "this game needs a link of " + std::to_string(packed.size()) +
               " characters, over the 100000 a link may hold: Save recording keeps it";
    } else {
        browserSetLocationHash("r=" + packed);
        said = (browserCopyText(browserAddress()) ? "link copied (" : "link in the address bar (") +
               std::to_string(packed.size() + 3) + " characters): " + described(text);
    }
    browserShowMessage(said.c_str());
}

// A recording's text to watch in the next session; false after one line saying why not.
bool watchNext(std::string text, const std::string& name) {
    std::string why;
    KeyScript script;
    if (!readKeyScriptText(text, name, "driftwing", script, why)) {
        browserShowMessage(("cannot play " + name + ": " + why).c_str());
        return false;
    }
    page.next = std::move(script);
    page.nextText = std::move(text);
    page.nextName = name;
    page.toWatch = true;
    return true;
}

// The page's address holding #r= and a recording: it is watched next. Anything else after
// '#' is no link of ours and is passed over.
bool readLink() {
    const std::string hash = browserLocationHash();
    if (hash.compare(0, 2, "r=") != 0) return false;
    std::vector<uint8_t> bytes;
    const char* why = nullptr;
    if (hash.size() - 2 > longestLink) {
        why = "it is over 100000 characters";
    } else {
        switch (browserInflateFromBase64url(hash.substr(2), largestScript, bytes)) {
        case Inflated::Ok:
            return watchNext(std::string(bytes.begin(), bytes.end()), "the link");
        case Inflated::NotBase64url:
            why = "it is damaged (not base64url)";
            break;
        case Inflated::Damaged:
            why = "it is damaged or cut short";
            break;
        case Inflated::TooLarge:
            why = "it unpacks to over 64 MiB";
            break;
        }
    }
    browserShowMessage((std::string("cannot play the link: ") + why).c_str());
    return false;
}

// A file dropped on the page: watched next when it is a key script or a recording.
bool takeDropped(const DroppedFile& file) {
    const std::string name = safeText(file.name);
    if (file.tooLarge) {
        browserShowMessage(("cannot play " + name + ": it is over 64 MiB").c_str());
        return false;
    }
    return watchNext(std::string(file.bytes.begin(), file.bytes.end()), name);
}

// Between frames, in a game, paused or watching: the page's buttons, and a recording to
// watch (a file dropped, a link put in the address), which ends the session.
bool betweenFrames() {
    const uint32_t pressed = browserTakePageButtons();
    if (pressed & SaveRecordingButton) saveRecording();
    if (pressed & CopyLinkButton) copyLink();
    DroppedFile file;
    bool next = browserTakeDroppedFile(largestScript, file) && takeDropped(file);
    if (pressed & LinkChanged) next = readLink() || next;
    return next;
}

// The recorder's hooks, and the session's game noted once it starts.
void (*recordedKeys)(uint32_t) = nullptr;
void (*recordedFrame)() = nullptr;
void frameEnded() {
    recordedFrame();
    page.played = page.played || game.gameMode == Playing;
}

// A session of play from the title, recorded, until Escape or a recording to watch.
void play() {
    page.recording.clear();
    page.played = false;
    startRecordingInto(keep);
    const LoopHooks recording = recordingHooks();
    recordedKeys = recording.keysOfFrame;
    recordedFrame = recording.frameEnded;
    runLoop({recordedKeys, frameEnded});
    finishRecording();
    if (page.played) page.lastGame.swap(page.recording);
    if (!page.toWatch && page.played)
        browserShowMessage("the game ended (Escape): Save recording or Copy link keeps it");
}

// A session watching the recording taken last, until its end, Escape or another to watch;
// the verdict on the page's line.
void watch() {
    page.watched = std::move(page.next);
    page.watchedText = std::move(page.nextText);
    page.watchedName = page.nextName;
    page.toWatch = false;
    page.watching = true;
    loadPlayback(page.watched, page.watchedName);
    browserShowMessage(("watching " + page.watchedName +
                        ": P pauses, . and , step, + and - speed, Left and Right jump, Esc stops")
                           .c_str());
    const bool started = startPlayback();
    if (started) runPlaybackLoop();
    stopPlayback();
    page.watching = false;
    if (page.toWatch) return;  // another recording came: no verdict on this one
    const bool seenAll = playbackWatchedToEnd();
    const int64_t shown = playbackFrame();
    if (!started || finishPlayback() != 0) return;  // its line says where it went differently
    char line[128];
    const KeyScript& s = page.watched;
    if (seenAll && s.ended && !s.checks.empty())
        std::snprintf(line, sizeof line, "verified: %" PRId64 " frames, closing state %016" PRIx64,
                      s.frames, s.checks.back().digest);
    else if (!seenAll)
        std::snprintf(line, sizeof line, "stopped watching at frame %" PRId64 " of %" PRId64,
                      shown, s.frames);
    else
        return;  // the checker's note says what it could not check
    browserShowMessage(line);
}
}  // namespace

int main() {
    useAssetFolder("");  // the page's data/ is fetched beside the program
    const Settings settings = loadSettings();  // as the browser kept them (browser_page.js)
    useMachine(browserPlatform);
    useControls(settings.keys, settings.pad);
    keepScreenshotsWith(downloadScreenshot);
    checkBetweenFrames(betweenFrames);
    page.recording.reserve(recordingRoom);
    page.lastGame.reserve(recordingRoom);
    if (!machine().open.call(frameScreen())) return 1;
    if (!startLoop(settings.display, settings.sound)) return 1;
    if (browserLocationHash().compare(0, 2, "r=") == 0)
        readLink();
    else
        browserShowMessage("S starts a game; drop a .keys file here to watch it");
    while (true) {
        if (startSession() != 0) return 1;  // its line names the file that did not load
        if (page.toWatch) {
            watch();
        } else {
            play();
        }
        shutdownSession();
    }
}
