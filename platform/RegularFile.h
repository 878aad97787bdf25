// A file opened once by its path and checked through that same descriptor: non-blocking and
// close-on-exec, so a FIFO or device at the path never blocks the open, and anything but a
// regular file is turned away before a byte is read. Owns the descriptor.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/ReadableFile.h"

namespace os {

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
    // Up to count bytes from the current offset; 0 at the end, -1 with errno on an error
    // (EINTR is retried).
    ssize_t read(void* buffer, size_t count);
    // Everything from the current offset to the end. False, with reason set and content
    // empty, on a read error or when the file is not readable.
    bool readAll(std::string& content, std::string& why);

private:
    void close();

    int fd = -1;
    FileState fileState = FileState::Missing;
    std::string why;
    int64_t bytes = 0;
};

}  // namespace os
