#include "render/RegularFileIOSystem.h"

#include "platform/ReadableFile.h"

bool RegularFileIOSystem::Exists(const char* file) const {
    return os::ProbeFile(file).state != os::FileState::Missing;
}

Assimp::IOStream* RegularFileIOSystem::Open(const char* file, const char* mode) {
    const os::FileState state = os::ProbeFile(file).state;
    if (state == os::FileState::Unreadable && firstRefused.empty()) firstRefused = file;
    if (state != os::FileState::Readable) return nullptr;
    return DefaultIOSystem::Open(file, mode);
}

const std::string& RegularFileIOSystem::refused() const {
    return firstRefused;
}
