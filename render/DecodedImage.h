// One image file decoded for a texture: 32-bit rows, bottom row first, as glTexImage2D
// takes them with GL_BGRA. Owns the decoded bitmap. No GL: any thread may decode one.
#pragma once

#include <string>

struct FIBITMAP;

class DecodedImage {
public:
    // Empty (0 x 0, no pixels) when the file cannot be read or decoded.
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
