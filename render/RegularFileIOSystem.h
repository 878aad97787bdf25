// Assimp's file access, limited to readable regular files: each file the importer asks for
// (the model and the material files it names) is opened once through os::RegularFile and
// read from that descriptor, so a FIFO in its place is turned away instead of blocking the
// open. Notes the first file it turned away although something was there.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include <string>

class RegularFileIOSystem : public Assimp::DefaultIOSystem {
public:
    // Something is at the path; a non-blocking open, closed again, tells.
    bool Exists(const char* file) const override;
    // A stream over the file's one open; null unless file is a regular file this process can
    // read. Null for a mode that writes: the importer only reads.
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;

    // The first path opened that holds a FIFO, a folder or a file without read permission;
    // empty when there was none. A missing file is not noted: the importer reports it, or
    // goes on without it as it does for a material file.
    const std::string& refused() const;

private:
    std::string firstRefused;
};
