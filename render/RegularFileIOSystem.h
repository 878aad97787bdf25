// Assimp's file access, limited to readable regular files: Assimp opens a model and the
// material files it names with a blocking fopen, which a FIFO in their place would hold
// forever. Notes the first file it turned away although something was there.
#pragma once

#include <assimp/DefaultIOSystem.h>

#include <string>

class RegularFileIOSystem : public Assimp::DefaultIOSystem {
public:
    // Something is at the path; nothing is opened to learn it.
    bool Exists(const char* file) const override;
    // Null, without opening it, unless file is a regular file this process can read.
    Assimp::IOStream* Open(const char* file, const char* mode = "rb") override;

    // The first path opened that holds a FIFO, a folder or a file without read permission;
    // empty when there was none. A missing file is not noted: the importer reports it, or
    // goes on without it as it does for a material file.
    const std::string& refused() const;

private:
    std::string firstRefused;
};
