#include "render/DecodedImage.h"

#include <FreeImage.h>
#include <atomic>
#include <limits>
#include <utility>

#include "platform/ReadableFile.h"

namespace {

std::atomic<int> heldImages{0};

}  // namespace

DecodedImage::DecodedImage(const std::string& file) {
    // Read from one open and decoded from memory: FreeImage never opens the path itself.
    std::string bytes;
    std::string reason;
    if (!os::ReadWholeFile(file, bytes, reason) || bytes.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) {
        return;
    }
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    if (memory == nullptr) return;
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory, 0);
    FIBITMAP* loaded = format == FIF_UNKNOWN ? nullptr : FreeImage_LoadFromMemory(format, memory, 0);
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
