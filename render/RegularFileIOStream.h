// Assimp's read access to one file the game opened once: reads, seeks and sizes go to that
// descriptor, never to the path again. Reads end one byte past a limit, so a file that
// grows after it was opened is never read beyond it. Owns the open file; read-only.
#pragma once

#include <assimp/IOStream.hpp>
#include <cstdint>

#include "platform/RegularFile.h"

class RegularFileIOStream : public Assimp::IOStream {
public:
    // file is readable (RegularFile::readable()).
    RegularFileIOStream(os::RegularFile file, int64_t limit);

    // As fread: whole items of size bytes read, fewer at the end of the file, on an error, or
    // past the limit.
    size_t Read(void* buffer, size_t size, size_t count) override;
    // Writes nothing: the importer only reads.
    size_t Write(const void* buffer, size_t size, size_t count) override;
    // As fseek; offset is negative (wrapped) from aiOrigin_END.
    aiReturn Seek(size_t offset, aiOrigin origin) override;
    size_t Tell() const override;
    // The size when the file was opened.
    size_t FileSize() const override;
    void Flush() override;

private:
    os::RegularFile file;
    int64_t limit;
};
