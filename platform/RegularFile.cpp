#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

namespace os {

namespace {

constexpr size_t ReadChunk = 64 * 1024;
const char* const NotRegular = "not a regular file";

}  // namespace

FileIdentity FileIdentity::of(const struct stat& info) {
    return {info.st_dev, info.st_ino, static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size && writtenNs == other.writtenNs;
}

RegularFile::RegularFile(const std::string& path) {
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        fileState = error == ENOENT || error == ENOTDIR ? FileState::Missing : FileState::Unreadable;
        // A socket refuses the open itself.
        why = error == ENXIO ? NotRegular : std::strerror(error);
        return;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        fileState = FileState::Unreadable;
        why = std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        fileState = FileState::Unreadable;
        why = std::strerror(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        fileState = FileState::Unreadable;
        why = NotRegular;
    } else {
        // Regular files never block; the flag only mattered for the open.
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        fileState = FileState::Readable;
        bytes = info.st_size;
        version = FileIdentity::of(info);
        return;
    }
    close();
}

RegularFile::~RegularFile() {
    close();
}

RegularFile::RegularFile(RegularFile&& other) noexcept {
    *this = std::move(other);
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        close();
        fd = std::exchange(other.fd, -1);
        // What is left behind has no file to read.
        fileState = std::exchange(other.fileState, FileState::Unreadable);
        why = std::exchange(other.why, "moved away");
        bytes = std::exchange(other.bytes, 0);
        version = std::exchange(other.version, FileIdentity());
    }
    return *this;
}

FileState RegularFile::state() const {
    return fileState;
}

const std::string& RegularFile::reason() const {
    return why;
}

bool RegularFile::readable() const {
    return fileState == FileState::Readable;
}

int RegularFile::descriptor() const {
    return fd;
}

int64_t RegularFile::size() const {
    return bytes;
}

const FileIdentity& RegularFile::identity() const {
    return version;
}

ssize_t RegularFile::read(void* buffer, size_t count) {
    if (fd < 0) {
        errno = EBADF;
        return -1;
    }
    ssize_t got;
    do {
        got = ::read(fd, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool RegularFile::readAll(std::string& content, std::string& reason, int64_t limit) {
    content.clear();
    if (!readable()) {
        reason = why;
        return false;
    }
    if (bytes > limit) {
        reason = tooLarge(bytes, limit);
        return false;
    }
    try {
        content.reserve(static_cast<size_t>(bytes));
        char buffer[ReadChunk];
        // One byte past the limit tells a file that grew beyond it since the open.
        const size_t most = static_cast<size_t>(limit) + 1;
        while (content.size() < most) {
            const ssize_t got = read(buffer, std::min(sizeof(buffer), most - content.size()));
            if (got == 0) break;
            if (got < 0) {
                reason = std::strerror(errno);
                content.clear();
                return false;
            }
            content.append(buffer, static_cast<size_t>(got));
        }
    } catch (const std::bad_alloc&) {
        content = std::string();
        reason = "out of memory";  // short enough to need no allocation
        return false;
    }
    if (content.size() > static_cast<size_t>(limit)) {
        content = std::string();
        reason = "is more than " + std::to_string(limit) + " bytes";
        return false;
    }
    reason.clear();
    return true;
}

std::string RegularFile::tooLarge(int64_t size, int64_t limit) {
    return "is " + std::to_string(size) + " bytes, more than " + std::to_string(limit);
}

void RegularFile::close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace os
