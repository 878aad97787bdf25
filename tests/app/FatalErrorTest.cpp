// FatalError in a child process: its console text, the wait for one number on standard
// input (or its end) and the exit code.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "app/GameFlow.h"

namespace {

// Per test, so that tests running in parallel do not share files; the child process of a
// death test runs the same test and finds the same names.
std::string ScratchFile(const std::string& what) {
    return ::testing::TempDir() + "qv_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
           what;
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
    std::remove(inPath.c_str());
}

std::chrono::steady_clock::time_point waitStart;

void ReportWhetherItWaited() {
    const auto waited = std::chrono::steady_clock::now() - waitStart;
    std::fputs(waited >= std::chrono::milliseconds(150) ? "|waited" : "|did not wait", stdout);
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
            waitStart = std::chrono::steady_clock::now();
            std::atexit(ReportWhetherItWaited);
            std::thread([writeEnd] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                if (write(writeEnd, "12\n", 3) != 3) std::_Exit(4);
            }).detach();
            FatalError("PxCreatePhysics failed!");
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(TakeOutput(outPath), "PxCreatePhysics failed!\nKey to quit!...|waited");
}

}  // namespace
