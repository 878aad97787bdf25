#include "render/DecodedImage.h"

#include <FreeImage.h>
#include <atomic>
#include <iostream>
#include <limits>
#include <utility>

#include "platform/RegularFile.h"

namespace {

std::atomic<int> heldImages{0};

// FreeImage reads a memory of at most this many bytes.
static_assert(DecodedImage::MaxFileBytes <= std::numeric_limits<DWORD>::max());

void Refuse(const std::string& file, const std::string& reason) {
    // One write, as the read-ahead thread may print beside the main thread.
    std::cerr << "Image " + file + " not loaded: " + reason + "\n" << std::flush;
}

// Whether the header's size is within the limits; says so when not.
bool Fits(const std::string& file, FIBITMAP* header) {
    const unsigned width = FreeImage_GetWidth(header);
    const unsigned height = FreeImage_GetHeight(header);
    const int64_t bytes = int64_t{width} * height * FreeImage_GetBPP(header) / 8;
    if (width > DecodedImage::MaxSide || height > DecodedImage::MaxSide) {
        Refuse(file, "claims " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than " +
                         std::to_string(DecodedImage::MaxSide) + " a side");
        return false;
    }
    if (bytes > DecodedImage::MaxPixelBytes) {
        Refuse(file, "claims " + std::to_string(bytes) + " bytes of pixels, more than " +
                         std::to_string(DecodedImage::MaxPixelBytes));
        return false;
    }
    return true;
}

}  // namespace

DecodedImage::DecodedImage(const std::string& file) {
    // Read from one open and decoded from memory: FreeImage never opens the path itself.
    os::RegularFile opened(file);
    std::string bytes;
    std::string reason;
    if (!opened.readAll(bytes, reason, MaxFileBytes)) {
        if (opened.readable()) Refuse(file, reason);
        return;
    }
    if (bytes.empty()) return;
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    if (memory == nullptr) return;
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, 0);
    // The header's size first: a small file may claim gigabytes of pixels.
    FIBITMAP* header = nullptr;
    if (format != FIF_UNKNOWN && FreeImage_FIFSupportsNoPixels(format)) {
        header = FreeImage_LoadFromMemory(format, memory, FIF_LOAD_NOPIXELS);
    } else if (format != FIF_UNKNOWN) {
        Refuse(file, "its format gives no size before its pixels");
    }
    const bool fits = header != nullptr && Fits(file, header);
    if (header) FreeImage_Unload(header);
    if (!fits) {
        FreeImage_CloseMemory(memory);
        return;
    }
    FreeImage_SeekMemory(memory, 0, SEEK_SET);
    FIBITMAP* loaded = FreeImage_LoadFromMemory(format, memory, 0);
    FreeImage_CloseMemory(memory);
    bitmap = loaded ? FreeImage_ConvertTo32Bits(loaded) : nullptr;
    if (loaded) FreeImage_Unload(loaded);
    if (bitmap == nullptr) return;
    FreeImage_FlipVertical(bitmap);
    ++heldImages;
}

DecodedImage::~DecodedImage() {
    if (bitmap == nullptr) return;
    FreeImage_Unload(bitmap);
    --heldImages;
}

DecodedImage::DecodedImage(DecodedImage&& other) noexcept : bitmap(std::exchange(other.bitmap, nullptr)) {}

unsigned DecodedImage::width() const {
    return bitmap ? FreeImage_GetWidth(bitmap) : 0;
}

unsigned DecodedImage::height() const {
    return bitmap ? FreeImage_GetHeight(bitmap) : 0;
}

const void* DecodedImage::pixels() const {
    return bitmap ? FreeImage_GetBits(bitmap) : nullptr;
}

int DecodedImage::held() {
    return heldImages.load();
}
