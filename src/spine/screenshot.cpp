// screenshot.cpp -- the frame as shown, enlarged through the game's palette, into a new PNG
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
}  // namespace

void keepScreenshotsWith(ScreenshotKeeper k) { keeper = k; }

void saveScreenshot(BITMAP* frame, const RGB* palette, int scale) {
    // Encoded whole before any file is made, so that a file once made is only ever written.
    Rgb24 colours[256];
    coloursOf(palette, colours);
    const int width = frame->w * scale, height = frame->h * scale;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3), png;
    enlarge(frame, colours, scale, pixels.data(), static_cast<size_t>(width) * 3);
    if (!stbi_write_png_to_func(append, &png, width, height, 3, pixels.data(), width * 3)) {
        std::fputs("driftwing: cannot save a screenshot: the picture could not be encoded\n",
                   stderr);
        return;
    }
    keeper(nameNow(), png.data(), png.size());
}
