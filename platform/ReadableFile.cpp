#include "platform/ReadableFile.h"

#include <filesystem>

#include "platform/RegularFile.h"

namespace os {

FileProbe ProbeFile(const std::string& path) {
    const RegularFile file(path);
    return {file.state(), file.reason()};
}

bool IsReadableFile(const std::string& path) {
    return ProbeFile(path).state == FileState::Readable;
}

std::optional<FileVersion> VersionOf(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    const fs::file_time_type written = fs::last_write_time(absolute, error);
    if (error) return std::nullopt;
    return FileVersion(absolute.string(), written.time_since_epoch().count());
}

}  // namespace os
