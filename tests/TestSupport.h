// Small helpers every test suite may need: the process's resident size, a scoped change
// of working directory, a scratch folder and a check for the game's own files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

namespace testsupport {

// True in an AddressSanitizer or ThreadSanitizer build: their allocators hold freed memory
// back and their shadow grows with every mapping, so figures of resident size or heap use
// say nothing there. LeakSanitizer checks the former build for leaks instead.
inline bool MemoryFiguresAreSkewed() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

// Resident set size of this process in kB, -1 when unknown.
inline long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

inline std::string CurrentDir() {
    char buffer[4096];
    return getcwd(buffer, sizeof(buffer)) ? buffer : ".";
}

// Runs a test body in another working directory and comes back.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& dir) : previous_(CurrentDir()) { ok_ = chdir(dir.c_str()) == 0; }
    ~ScopedChdir() {
        if (chdir(previous_.c_str()) != 0) std::abort();
    }
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;
    bool ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

// A folder of this test process's own, made on first use and removed at its exit. The
// child process of a death test, which runs the test body again, finds its parent's folder
// through the environment it inherits, so both name the same files.
inline const std::string& ProcessScratchDir() {
    struct Folder {
        std::string path;
        pid_t owner = 0;
        ~Folder() {
            std::error_code ignored;
            if (owner == getpid()) std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder = [] {
        if (const char* inherited = std::getenv("QV_TEST_SCRATCH")) return Folder{inherited, 0};
        std::string pattern = ::testing::TempDir() + "qv-test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        setenv("QV_TEST_SCRATCH", pattern.c_str(), 1);
        return Folder{pattern, getpid()};
    }();
    return folder.path;
}

// The game's files under res/ are tracked and staged into the build folder: one that is
// missing there is a broken build, so a test that needs it fails instead of skipping.
// Use: ASSERT_TRUE(testsupport::TrackedFilesPresent({"./res/Models/Fass.obj"}));
inline ::testing::AssertionResult TrackedFilesPresent(std::initializer_list<std::string> paths) {
    for (const std::string& path : paths) {
        if (!std::ifstream(path).good()) {
            return ::testing::AssertionFailure() << "tracked file " << path << " is missing under " << CurrentDir();
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace testsupport
