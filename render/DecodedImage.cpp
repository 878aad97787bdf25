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
    std::cerr << "Image " << file << " not loaded: " << reason << std::endl;
}

// Whether width x height is within MaxSide; says so when not.
bool Fits(const std::string& file, unsigned width, unsigned height) {
    if (width <= DecodedImage::MaxSide && height <= DecodedImage::MaxSide) return true;
    Refuse(file, "claims " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than " +
                     std::to_string(DecodedImage::MaxSide) + " a side");
    return false;
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
    // The header's size first, where the format can give it alone: a small file may claim
    // gigabytes of pixels.
    if (format != FIF_UNKNOWN && FreeImage_FIFSupportsNoPixels(format)) {
        FIBITMAP* header = FreeImage_LoadFromMemory(format, memory, FIF_LOAD_NOPIXELS);
        const bool fits = header == nullptr || Fits(file, FreeImage_GetWidth(header), FreeImage_GetHeight(header));
        if (header) FreeImage_Unload(header);
        if (!fits) {
            FreeImage_CloseMemory(memory);
            return;
        }
        FreeImage_SeekMemory(memory, 0, SEEK_SET);
    }
    FIBITMAP* loaded = format == FIF_UNKNOWN ? nullptr : FreeImage_LoadFromMemory(format, memory, 0);
    FreeImage_CloseMemory(memory);
    if (loaded && !Fits(file, FreeImage_GetWidth(loaded), FreeImage_GetHeight(loaded))) {
        FreeImage_Unload(loaded);
        return;
    }
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
