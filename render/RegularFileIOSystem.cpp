#include "render/RegularFileIOSystem.h"

#include <cstring>
#include <utility>

#include "platform/ReadableFile.h"
#include "platform/RegularFile.h"
#include "render/RegularFileIOStream.h"

bool RegularFileIOSystem::Exists(const char* file) const {
    return os::ProbeFile(file).state != os::FileState::Missing;
}

Assimp::IOStream* RegularFileIOSystem::Open(const char* file, const char* mode) {
    if (std::strpbrk(mode, "wa+") != nullptr) return nullptr;
    os::RegularFile opened(file);
    if (opened.state() == os::FileState::Unreadable && firstRefused.empty()) firstRefused = file;
    if (!opened.readable()) return nullptr;
    return new RegularFileIOStream(std::move(opened));
}

const std::string& RegularFileIOSystem::refused() const {
    return firstRefused;
}
