#include "render/DecodedImage.h"

#include <FreeImage.h>
#include <atomic>
#include <utility>

#include "platform/ReadableFile.h"

namespace {

std::atomic<int> heldImages{0};

}  // namespace

DecodedImage::DecodedImage(const std::string& file) {
    const FREE_IMAGE_FORMAT format = os::IsReadableFile(file) ? FreeImage_GetFileType(file.c_str(), 0) : FIF_UNKNOWN;
    FIBITMAP* loaded = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, file.c_str(), 0);
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
