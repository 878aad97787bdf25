// Small helpers every test suite may need: the process's resident size and a scoped
// change of working directory.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace testsupport {

// True in an AddressSanitizer build: its quarantine keeps freed memory and its shadow
// grows with every mapping, so figures of resident size or heap use say nothing there.
// LeakSanitizer checks that build for leaks instead.
inline bool MemoryFiguresAreSkewed() {
#if defined(__SANITIZE_ADDRESS__)
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

}  // namespace testsupport
