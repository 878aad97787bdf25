// A scratch working directory for tests of the score file: the test runs inside a fresh
// temporary folder holding "res/Scores/", and the old working directory comes back after.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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
    static std::string readScores() {
        std::ifstream in("./res/Scores/scores.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};
