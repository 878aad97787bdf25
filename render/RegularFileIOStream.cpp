#include "render/RegularFileIOStream.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

RegularFileIOStream::RegularFileIOStream(os::RegularFile file, int64_t limit) : file(std::move(file)), limit(limit) {}

size_t RegularFileIOStream::Read(void* buffer, size_t size, size_t count) {
    if (size == 0 || count == 0 || count > SIZE_MAX / size) return 0;
    const size_t at = Tell();
    const size_t most = static_cast<size_t>(limit) + 1;
    if (at >= most) return 0;
    const size_t wanted = std::min(size * count, most - at);
    size_t done = 0;
    while (done < wanted) {
        const ssize_t got = file.read(static_cast<char*>(buffer) + done, wanted - done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done / size;
}

size_t RegularFileIOStream::Write(const void* /*buffer*/, size_t /*size*/, size_t /*count*/) {
    return 0;
}

aiReturn RegularFileIOStream::Seek(size_t offset, aiOrigin origin) {
    const int whence = origin == aiOrigin_SET ? SEEK_SET : origin == aiOrigin_CUR ? SEEK_CUR : SEEK_END;
    return ::lseek(file.descriptor(), static_cast<off_t>(offset), whence) < 0 ? aiReturn_FAILURE : aiReturn_SUCCESS;
}

size_t RegularFileIOStream::Tell() const {
    const off_t at = ::lseek(file.descriptor(), 0, SEEK_CUR);
    return at < 0 ? 0 : static_cast<size_t>(at);
}

size_t RegularFileIOStream::FileSize() const {
    return static_cast<size_t>(file.size());
}

void RegularFileIOStream::Flush() {}
