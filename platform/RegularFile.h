// A file opened once by its path and checked through that same descriptor: non-blocking and
// close-on-exec, so a FIFO or device at the path never blocks the open, and anything but a
// regular file is turned away before a byte is read. Owns the descriptor.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/ReadableFile.h"

namespace os {

// Tells one version of a file from another: a file renamed over it has another device or
// inode, one written in place another size or write time.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    int64_t size = 0;
    int64_t writtenNs = 0;

    static FileIdentity of(const struct stat& info);
    bool operator==(const FileIdentity& other) const;
};

class RegularFile {
public:
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Readable: the descriptor is open on a regular file, in blocking mode again.
    FileState state() const;
    // Empty when Readable, else why, e.g. "Is a directory" or "not a regular file".
    const std::string& reason() const;
    bool readable() const;
    // -1 unless readable.
    int descriptor() const;
    // The size fstat gave at the open.
    int64_t size() const;
    // What fstat gave at the open; all zero unless readable.
    const FileIdentity& identity() const;
    // Up to count bytes from the current offset; 0 at the end, -1 with errno on an error
    // (EINTR is retried).
    ssize_t read(void* buffer, size_t count);
    // Everything from the current offset to the end, at most limit bytes. False, with reason
    // set and content empty, when the file is not readable, on a read error, when the memory
    // for it cannot be had, or when it holds more than limit bytes: the size is checked before
    // a byte is read and the read stops one byte past the limit, so a file that grows while
    // it is read is refused too. A reader tells these failures of a regular file (readable()
    // still true) from a missing or special file, and names the reason.
    bool readAll(std::string& content, std::string& why, int64_t limit);

    // The reason for a file over its reader's limit: "is <size> bytes, more than <limit>".
    static std::string tooLarge(int64_t size, int64_t limit);

private:
    void close();

    int fd = -1;
    FileState fileState = FileState::Missing;
    std::string why;
    int64_t bytes = 0;
    FileIdentity version;
};

}  // namespace os
