#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace os {

namespace {

constexpr size_t ReadChunk = 64 * 1024;
const char* const NotRegular = "not a regular file";

}  // namespace

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

bool RegularFile::readAll(std::string& content, std::string& reason) {
    content.clear();
    if (!readable()) {
        reason = why;
        return false;
    }
    if (bytes > 0) content.reserve(static_cast<size_t>(bytes));
    char buffer[ReadChunk];
    while (true) {
        const ssize_t got = read(buffer, sizeof(buffer));
        if (got == 0) break;
        if (got < 0) {
            reason = std::strerror(errno);
            content.clear();
            return false;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    reason.clear();
    return true;
}

void RegularFile::close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace os
