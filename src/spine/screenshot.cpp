// screenshot.cpp -- the frame as shown, enlarged through the game's palette, into a new PNG
// written beside the frame loop
#include "spine/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

// The PNG encoder is stb's one-header writer, compiled here and nowhere else.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include "config/settings.h"
#include "platform/picture.h"
#include "system/io.h"
#include "system/signals.h"

// On Linux a thread of its own encodes and writes the screenshots; Windows' MinGW build
// (no std::thread) and a browser without threads do it on the game's thread between frames.
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#define SCREENSHOTS_BESIDE_THE_LOOP 1
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace {
#ifdef _WIN32
constexpr char separator = '\\';
#else
constexpr char separator = '/';
#endif

// Into a new file of the pictures folder, made as needed.
void keepInPictures(const std::string& name, const unsigned char* png, size_t size) {
    const std::string folder = screenshotFolder();
    if (folder.empty()) {
        std::fputs("driftwing: cannot save a screenshot: no home folder\n", stderr);
        return;
    }
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    if (failed) {
        std::fprintf(stderr, "driftwing: cannot save a screenshot in %s: %s\n", folder.c_str(),
                     failed.message().c_str());
        return;
    }
    NewFile file;
    std::string why;
    const std::string path = folder + separator + name;
    if (!file.begin(path, NewFile::Existing::nextFreeName, "", why)) {
        std::fprintf(stderr, "driftwing: cannot save a screenshot in %s: %s\n", folder.c_str(),
                     why.c_str());
        return;
    }
    if (!file.write(png, size) || !file.publish(why) || !file.close(why)) {
        if (why.empty()) why = std::strerror(file.error());
        std::fprintf(stderr, "driftwing: cannot save a screenshot to %s: %s\n", path.c_str(),
                     why.c_str());
        return;
    }
    std::printf("driftwing: saved a screenshot to %s\n", file.path().c_str());
    std::fflush(stdout);
}

ScreenshotKeeper keeper = keepInPictures;

void append(void* context, void* data, int size) {
    auto* png = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    png->insert(png->end(), bytes, bytes + size);
}

// "driftwing-YYYYMMDD-HHMMSS.png" of the local time now.
std::string nameNow() {
    const std::time_t now = std::time(nullptr);
    char stamp[64] = "driftwing";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "driftwing-%Y%m%d-%H%M%S", local);
    return std::string(stamp) + ".png";
}

// One screenshot asked for: a copy of the picture shown, its colours, scale and name.
struct Shot {
    BITMAP* frame = nullptr;
    Rgb24 colours[256];
    int scale = 1;
    std::string name;
};

// The screenshot enlarged, encoded whole (so that a file once made is only ever written)
// and kept; its copy of the picture goes.
void encodeAndKeep(Shot& shot) {
    const int width = shot.frame->w * shot.scale, height = shot.frame->h * shot.scale;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3), png;
    enlarge(shot.frame, shot.colours, shot.scale, pixels.data(), static_cast<size_t>(width) * 3);
    destroy_bitmap(shot.frame);
    shot.frame = nullptr;
    if (!stbi_write_png_to_func(append, &png, width, height, 3, pixels.data(), width * 3)) {
        std::fputs("driftwing: cannot save a screenshot: the picture could not be encoded\n",
                   stderr);
        return;
    }
    keeper(shot.name, png.data(), png.size());
}

#ifdef SCREENSHOTS_BESIDE_THE_LOOP
constexpr size_t mostWaiting = 32;  // about 3 MB of pictures

// The screenshots waiting for the writer thread, which is started by the first of them.
struct Writer {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Shot> waiting;
    bool stopping = false;
    std::thread thread;
};
Writer writer;

// The writer thread: each screenshot in turn, until told to stop with none waiting.
void writeScreenshots() {
    leaveQuitSignalsToOtherThreads();
    std::unique_lock<std::mutex> held(writer.lock);
    for (;;) {
        writer.changed.wait(held, [] { return writer.stopping || !writer.waiting.empty(); });
        if (writer.waiting.empty()) return;
        Shot shot = writer.waiting.front();
        writer.waiting.pop_front();
        held.unlock();
        encodeAndKeep(shot);
        held.lock();
    }
}

// The shot handed to the writer thread; false when it must be kept here.
bool handOver(Shot& shot) {
    std::lock_guard<std::mutex> held(writer.lock);
    if (!writer.thread.joinable()) {
        try {
            writer.thread = std::thread(writeScreenshots);
        } catch (const std::system_error&) {
            return false;
        }
    }
    if (writer.waiting.size() >= mostWaiting) {
        std::fprintf(stderr, "driftwing: cannot save a screenshot: %zu are still being saved\n",
                     writer.waiting.size());
        destroy_bitmap(shot.frame);
        return true;
    }
    writer.waiting.push_back(shot);
    writer.changed.notify_one();
    return true;
}
#else
bool handOver(Shot&) { return false; }
#endif
}  // namespace

void keepScreenshotsWith(ScreenshotKeeper k) { keeper = k; }

void saveScreenshot(BITMAP* frame, const RGB* palette, int scale) {
    Shot shot;
    shot.frame = makePicture(8, frame->w, frame->h);
    if (!shot.frame) return;
    blit(frame, shot.frame, 0, 0, 0, 0, frame->w, frame->h);
    coloursOf(palette, shot.colours);
    shot.scale = scale;
    shot.name = nameNow();
    if (!handOver(shot)) encodeAndKeep(shot);
}

void finishScreenshots() {
#ifdef SCREENSHOTS_BESIDE_THE_LOOP
    {
        std::lock_guard<std::mutex> held(writer.lock);
        // Asked to quit by a signal: the one being written is finished, the others are not.
        if (quitAsked() && !writer.waiting.empty()) {
            const size_t n = writer.waiting.size();
            std::fprintf(stderr, "driftwing: %zu screenshot%s not saved: the game was asked to quit\n",
                         n, n == 1 ? "" : "s");
            for (Shot& shot : writer.waiting) destroy_bitmap(shot.frame);
            writer.waiting.clear();
        }
        writer.stopping = true;
        writer.changed.notify_one();
    }
    if (writer.thread.joinable()) writer.thread.join();
    writer.stopping = false;
#endif
}
