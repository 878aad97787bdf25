// A scratch working directory for tests of the score file: the test runs inside a fresh
// temporary folder holding "res/Scores/", and the old working directory comes back after.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>

class ScratchWorkingDirectory : public ::testing::Test {
protected:
    std::filesystem::path previous;
    std::filesystem::path scratch;

    void SetUp() override {
        previous = std::filesystem::current_path();
        std::string pattern = ::testing::TempDir() + "qv_scores_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
        std::filesystem::create_directories(scratch / "res" / "Scores");
        std::filesystem::current_path(scratch);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(scratch, ignored);
    }

    static void writeScores(const std::string& text) {
        std::ofstream out("./res/Scores/scores.txt", std::ios::binary | std::ios::trunc);
        out << text;
    }
    // Lets another user work in the scratch folder, as the unprivileged child below does.
    void OpenScratchToEveryone() const {
        for (const auto& dir : {scratch, scratch / "res", scratch / "res" / "Scores"}) {
            std::filesystem::permissions(dir, std::filesystem::perms::all);
        }
    }

    struct ChildResult {
        int exitCode;
        std::string output;  // its stdout
        std::string errors;  // its stderr
    };

    // Runs body in a child process whose file permissions really apply: root reads every
    // file, so as root the child first drops to the ids of "nobody".
    ChildResult RunAsUnprivilegedChild(const std::function<void()>& body) const {
        const std::string out = (scratch / "child.out").string();
        const std::string err = (scratch / "child.err").string();
        std::cout.flush();
        std::cerr.flush();
        const pid_t pid = fork();
        if (pid == 0) {
            if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) _exit(90);
            constexpr uid_t Nobody = 65534;
            if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0)) {
                _exit(91);
            }
            body();
            std::cout.flush();
            std::cerr.flush();
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out), readText(err)};
    }

    static int CountLines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    static std::string readText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string readScores() {
        std::ifstream in("./res/Scores/scores.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};
