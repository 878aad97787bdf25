// One image file decoded for a texture: 32-bit rows, bottom row first, as glTexImage2D
// takes them with GL_BGRA. Owns the decoded bitmap. No GL: any thread may decode one.
#pragma once

#include <cstdint>
#include <string>

struct FIBITMAP;

class DecodedImage {
public:
    // Far above any texture or sky face; a file larger, or one whose header claims more
    // pixels a side or more bytes of pixels, is not decoded, nor one in a format that gives
    // no size before its pixels (GIF, DDS, JPEG 2000 and a few more).
    static constexpr int64_t MaxFileBytes = 64 * 1024 * 1024;
    static constexpr unsigned MaxSide = 8192;
    static constexpr int64_t MaxPixelBytes = int64_t{MaxSide} * MaxSide * 4;

    // Empty (0 x 0, no pixels) when the file cannot be read or decoded. A regular file over
    // a limit, or not read whole, also gives one line on stderr naming it and why.
    explicit DecodedImage(const std::string& file);
    ~DecodedImage();
    DecodedImage(DecodedImage&& other) noexcept;
    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;

    bool empty() const { return bitmap == nullptr; }
    unsigned width() const;
    unsigned height() const;
    // Null when empty.
    const void* pixels() const;

    // Images decoded and not freed yet, in the whole process.
    static int held();

private:
    FIBITMAP* bitmap = nullptr;
};
