#include "platform/ReadableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace os {

namespace {

constexpr size_t ReadChunk = 64 * 1024;

// NOTE: O_NONBLOCK keeps a FIFO that slipped past the type test from blocking the open.
int OpenForReading(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

FileProbe ProbeFile(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return {FileState::Missing, std::strerror(error)};
        return {FileState::Unreadable, std::strerror(error)};
    }
    if (S_ISDIR(info.st_mode)) return {FileState::Unreadable, std::strerror(EISDIR)};
    if (!S_ISREG(info.st_mode)) return {FileState::Unreadable, "not a regular file"};
    const int fd = OpenForReading(path);
    if (fd < 0) return {FileState::Unreadable, std::strerror(errno)};
    ::close(fd);
    return {FileState::Readable, std::string()};
}

bool IsReadableFile(const std::string& path) {
    return ProbeFile(path).state == FileState::Readable;
}

bool ReadWholeFile(const std::string& path, std::string& content, std::string& reason) {
    content.clear();
    const FileProbe probe = ProbeFile(path);
    if (probe.state != FileState::Readable) {
        reason = probe.reason;
        return false;
    }
    const int fd = OpenForReading(path);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    char buffer[ReadChunk];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            reason = std::strerror(errno);
            ::close(fd);
            content.clear();
            return false;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    reason.clear();
    return true;
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
