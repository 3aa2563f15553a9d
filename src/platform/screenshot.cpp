// screenshot.cpp -- the frame as shown, enlarged, through the game's palette, into a new PNG
#include "platform/screenshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#ifdef _WIN32
#include <io.h>
#endif

// The PNG encoder is stb's one-header writer, compiled here and nowhere else.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

#include "platform/options.h"
#include "state/assets.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace {
#ifdef _WIN32
constexpr char separator = '\\';
#else
constexpr char separator = '/';
#endif
constexpr int mostNamesASecond = 999;  // driftwing-...-2.png up to -999.png

// The frame enlarged, 3 bytes a pixel, the same 6-to-8-bit widening the window's colours take.
std::vector<unsigned char> enlarged(BITMAP* frame, const RGB* palette, int scale) {
    const int width = frameWidth * scale;
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * frameHeight * scale * 3);
    auto widen = [](int six) { return static_cast<unsigned char>(six << 2 | six >> 4); };
    unsigned char* to = pixels.data();
    for (int y = 0; y < frameHeight * scale; ++y) {
        const unsigned char* from = frame->line[y / scale];
        for (int x = 0; x < width; ++x) {
            const RGB& colour = palette[from[x / scale]];
            *to++ = widen(colour.r);
            *to++ = widen(colour.g);
            *to++ = widen(colour.b);
        }
    }
    return pixels;
}

void append(void* context, void* data, int size) {
    auto* png = static_cast<std::vector<unsigned char>*>(context);
    const auto* bytes = static_cast<const unsigned char*>(data);
    png->insert(png->end(), bytes, bytes + size);
}

// "driftwing-YYYYMMDD-HHMMSS" of the local time now.
std::string stampNow() {
    const std::time_t now = std::time(nullptr);
    char stamp[64] = "driftwing";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "driftwing-%Y%m%d-%H%M%S", local);
    return stamp;
}

// A new file of that stamp in FOLDER, never one that exists: its descriptor, or -1 with errno.
int createNew(const std::string& folder, std::string& path) {
    const std::string stamp = stampNow();
    for (int n = 1; n <= mostNamesASecond; ++n) {
        path = folder + separator + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The whole of BYTES into FD; 0, or the errno of the first write that failed.
int writeAll(int fd, const std::vector<unsigned char>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const auto wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno != EINTR) return errno;
        if (wrote > 0) done += static_cast<size_t>(wrote);
    }
    return 0;
}
}  // namespace

void saveScreenshot(BITMAP* frame, const RGB* palette, int scale) {
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
    // Encoded whole before any file is made, so that a file once made is only ever written.
    std::vector<unsigned char> png;
    const std::vector<unsigned char> pixels = enlarged(frame, palette, scale);
    const int width = frameWidth * scale;
    if (!stbi_write_png_to_func(append, &png, width, frameHeight * scale, 3, pixels.data(),
                                width * 3)) {
        std::fputs("driftwing: cannot save a screenshot: the picture could not be encoded\n",
                   stderr);
        return;
    }
    std::string path;
    const int fd = createNew(folder, path);
    if (fd < 0) {
        std::fprintf(stderr, "driftwing: cannot save a screenshot in %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return;
    }
    int error = writeAll(fd, png);
    if (::close(fd) != 0 && !error) error = errno;
    if (error) {
        std::remove(path.c_str());
        std::fprintf(stderr, "driftwing: cannot save a screenshot to %s: %s\n", path.c_str(),
                     std::strerror(error));
        return;
    }
    std::printf("driftwing: saved a screenshot to %s\n", path.c_str());
    std::fflush(stdout);
}
