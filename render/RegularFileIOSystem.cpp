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
    if (opened.state() == os::FileState::Unreadable) refuse(file, std::string());
    if (!opened.readable()) return nullptr;
    if (opened.size() > MaxFileBytes) {
        refuse(file, os::RegularFile::tooLarge(opened.size(), MaxFileBytes));
        return nullptr;
    }
    return new RegularFileIOStream(std::move(opened), MaxFileBytes);
}

const std::string& RegularFileIOSystem::refused() const {
    return firstRefused;
}

const std::string& RegularFileIOSystem::refusedReason() const {
    return firstReason;
}

void RegularFileIOSystem::refuse(const std::string& file, const std::string& reason) {
    if (!firstRefused.empty()) return;
    firstRefused = file;
    firstReason = reason;
}
