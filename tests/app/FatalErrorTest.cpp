// FatalError in a child process: its console text, the wait for one number on standard
// input (or its end) and the exit code.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "app/GameFlow.h"
#include "TestSupport.h"

namespace {

// In this process's own folder, which the child process of a death test shares.
std::string ScratchFile(const std::string& what) {
    return testsupport::ProcessScratchDir() + "/" + what;
}

std::string TakeOutput(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return text;
}

TEST(FatalErrorDeathTest, PrintsMessageAndPromptAndEndsOnANumberOrWithoutOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string inPath = ScratchFile("in.txt");
    const std::string outPath = ScratchFile("out.txt");
    for (const char* input : {"7\n", "", "quit\n"}) {
        std::ofstream(inPath, std::ios::binary | std::ios::trunc) << input;
        EXPECT_EXIT(
            {
                if (!std::freopen(inPath.c_str(), "r", stdin) || !std::freopen(outPath.c_str(), "w", stdout)) {
                    std::_Exit(3);
                }
                FatalError("glContext == Nullpointer");
            },
            ::testing::ExitedWithCode(1), "")
            << "input: " << input;
        EXPECT_EQ(TakeOutput(outPath), "glContext == Nullpointer\nKey to quit!...") << "input: " << input;
    }
}

// Whether the number was sent only once the thread sat waiting for it, and before the exit.
std::atomic<const char*> waitReport{"|did not wait"};

void ReportWhetherItWaited() { std::fputs(waitReport.load(), stdout); }

// True while thread tid of this process is blocked in read() on standard input.
bool ReadingStandardInput(pid_t tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/syscall");
    long number = -1;
    std::string fd;
    in >> number >> fd;  // "running", or the call's number and its arguments in hex
    return number == SYS_read && fd == "0x0";
}

TEST(FatalErrorDeathTest, WaitsForTheNumberBeforeExiting) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string outPath = ScratchFile("out.txt");
    EXPECT_EXIT(
        {
            int fds[2];
            if (pipe(fds) != 0 || dup2(fds[0], STDIN_FILENO) < 0 || !std::freopen(outPath.c_str(), "w", stdout)) {
                std::_Exit(3);
            }
            const int writeEnd = fds[1];
            const pid_t reader = static_cast<pid_t>(syscall(SYS_gettid));
            std::atexit(ReportWhetherItWaited);
            std::thread([writeEnd, reader] {
                // The limit only guards against a hang; the number goes in once the read waits.
                const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                while (!ReadingStandardInput(reader) && std::chrono::steady_clock::now() < giveUp) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                if (ReadingStandardInput(reader)) waitReport = "|waited";
                if (write(writeEnd, "12\n", 3) != 3) std::_Exit(4);
            }).detach();
            FatalError("PxCreatePhysics failed!");
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(TakeOutput(outPath), "PxCreatePhysics failed!\nKey to quit!...|waited");
}

}  // namespace
