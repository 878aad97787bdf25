// What is at a resource path, told apart as a reader needs it: a folder, a special file or a
// file without read permission fails like a missing one instead of blocking or throwing.
// A reader opens and reads its file once through RegularFile; these are for one look.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace os {

enum class FileState {
    Readable,    // a regular file this process can open for reading
    Missing,     // nothing at the path (or a path component is not a folder)
    Unreadable,  // something is there but cannot be read as a file
};

struct FileProbe {
    FileState state;
    std::string reason;  // empty when Readable, else why, e.g. "Is a directory"
};

// Opens the path once (RegularFile), without reading, and closes it again.
FileProbe ProbeFile(const std::string& path);

// ProbeFile(path).state == FileState::Readable.
bool IsReadableFile(const std::string& path);

// One version of a file, the key of whatever is made from a file once and kept: its
// absolute path and when it was last written. The same relative path after a change of
// folder names another file, and a rewritten file is another version.
using FileVersion = std::pair<std::string, int64_t>;

// Nothing when the path's absolute form or its write time cannot be had (no file there).
std::optional<FileVersion> VersionOf(const std::string& path);

}  // namespace os
