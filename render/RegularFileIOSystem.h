// Assimp's file access, limited to readable regular files of at most MaxFileBytes: each
// time the importer opens a file (the model and the material files it names) it is opened
// through os::RegularFile and read from that descriptor only, so a FIFO in its place is
// turned away instead of blocking the open. The importer opens the model up to three times
// (Exists, which only looks, its look at the file's head, the import), each through
// os::RegularFile. Notes the first file it turned away although something was there.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include <string>

class RegularFileIOSystem : public Assimp::DefaultIOSystem {
public:
    // Far above any model or material file the game ships (the largest is some 100 kB):
    // 16 MB of OBJ import in about half a second.
    static constexpr int64_t MaxFileBytes = 16 * 1024 * 1024;

    // Something is at the path; a non-blocking open, closed again, tells.
    bool Exists(const char* file) const override;
    // A stream over the file's one open; null unless file is a regular file this process can
    // read, or when it is larger than MaxFileBytes. Null for a mode that writes: the
    // importer only reads.
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;

    // The first path opened that holds a FIFO, a folder, a file without read permission or
    // one over MaxFileBytes (or that the import had no memory for); empty when there was none. A missing file is not noted: the importer reports it, or
    // goes on without it as it does for a material file.
    const std::string& refused() const;
    // Why that file was refused when it was a regular file (too large, no memory); else empty.
    const std::string& refusedReason() const;
    // Notes a file the importer could not take: the first one noted stays.
    void refuse(const std::string& file, const std::string& reason);

private:
    std::string firstRefused;
    std::string firstReason;
};
