// A scratch copy of res/ for tests that write level files.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TestSupport.h"
#include "objects/Matchfield.h"

namespace testsupport {

// A fresh working folder whose res/ holds copies of the working directory's levels and
// scores, and links to its other folders: tests write level files there, never into the
// build's own res/. Removed at the end; the links go, not what they point to.
class ScratchRes {
public:
    ScratchRes() {
        namespace fs = std::filesystem;
        std::string pattern = ::testing::TempDir() + "qv-res-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return;
        path_ = pattern;
        std::error_code error;
        fs::create_directories(path_ + "/res/Levels", error);
        for (const fs::directory_entry& part : fs::directory_iterator(fs::path(CurrentDir()) / "res", error)) {
            const fs::path target = fs::path(path_) / "res" / part.path().filename();
            const std::string name = part.path().filename().string();
            if (name == "Levels" || name == "Scores") {
                fs::copy(part.path(), target, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
            } else {
                fs::create_directory_symlink(part.path(), target, error);
            }
            if (error) return;
        }
        ok_ = !error;
    }
    ~ScratchRes() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchRes(const ScratchRes&) = delete;
    ScratchRes& operator=(const ScratchRes&) = delete;

    std::string levelPath(int level) const { return path_ + "/" + object::Matchfield::levelFilePath(level); }
    void write(int level, const std::string& text) const { std::ofstream(levelPath(level), std::ios::binary) << text; }
    void remove(int level) const { std::remove(levelPath(level).c_str()); }
    const std::string& path() const { return path_; }
    bool ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace testsupport
