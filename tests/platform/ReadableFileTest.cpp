// The resource-path check every reader runs first: regular readable files pass; missing
// paths, folders, special files, unreadable files and read errors are told apart.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ReadableFile.h"
#include "platform/RegularFile.h"

namespace fs = std::filesystem;

constexpr int64_t Limit = 1 << 20;

namespace {

class ReadableFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "qv_readable_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string at(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(ReadableFileTest, TellsReadableMissingAndUnreadablePathsApart) {
    std::ofstream(at("plain.txt")) << "abc\n";
    std::ofstream(at("empty.txt"));
    fs::create_directory(at("folder"));
    ASSERT_EQ(mkfifo(at("pipe").c_str(), 0600), 0);
    fs::create_symlink(at("plain.txt"), at("link.txt"));
    fs::create_symlink(at("nowhere"), at("dangling.txt"));

    const struct {
        const char* name;
        os::FileState state;
        const char* reason;
    } cases[] = {
        {"plain.txt", os::FileState::Readable, ""},
        {"empty.txt", os::FileState::Readable, ""},
        {"link.txt", os::FileState::Readable, ""},
        {"missing.txt", os::FileState::Missing, "No such file or directory"},
        {"dangling.txt", os::FileState::Missing, "No such file or directory"},
        {"plain.txt/below", os::FileState::Missing, "Not a directory"},
        {"folder", os::FileState::Unreadable, "Is a directory"},
        {"pipe", os::FileState::Unreadable, "not a regular file"},
    };
    for (const auto& c : cases) {
        const os::FileProbe probe = os::ProbeFile(at(c.name));
        EXPECT_EQ(probe.state, c.state) << c.name;
        EXPECT_EQ(probe.reason, c.reason) << c.name;
        EXPECT_EQ(os::IsReadableFile(at(c.name)), c.state == os::FileState::Readable) << c.name;
    }
}

TEST_F(ReadableFileTest, ReadAllGivesTheContentOrTheReason) {
    std::string big(200000, 'x');
    big[123456] = '\0';  // binary content comes through whole
    std::ofstream(at("big.bin"), std::ios::binary) << big;
    fs::create_directory(at("folder"));

    std::string content;
    std::string reason;
    EXPECT_TRUE(os::RegularFile(at("big.bin")).readAll(content, reason, Limit));
    EXPECT_EQ(content, big);
    EXPECT_EQ(reason, "");

    EXPECT_FALSE(os::RegularFile(at("folder")).readAll(content, reason, Limit));
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_EQ(content, "");
    EXPECT_FALSE(os::RegularFile(at("missing")).readAll(content, reason, Limit));
    EXPECT_EQ(reason, "No such file or directory");
    // A regular file whose read fails: /proc/self/mem has nothing mapped at offset 0.
    EXPECT_TRUE(os::IsReadableFile("/proc/self/mem"));
    EXPECT_FALSE(os::RegularFile("/proc/self/mem").readAll(content, reason, Limit));
    EXPECT_EQ(reason, "Input/output error");
    EXPECT_EQ(content, "");
}

// Root reads every file: the permission case runs in a child that has dropped to "nobody".
TEST_F(ReadableFileTest, FileWithoutReadPermissionIsUnreadable) {
    std::ofstream(at("secret.txt")) << "abc\n";
    fs::permissions(at("secret.txt"), fs::perms::owner_write);
    fs::permissions(dir, fs::perms::all);
    const pid_t pid = fork();
    if (pid == 0) {
        constexpr uid_t Nobody = 65534;
        if (geteuid() == 0 && (setgid(Nobody) != 0 || setuid(Nobody) != 0)) _exit(91);
        const os::FileProbe probe = os::ProbeFile(at("secret.txt"));
        std::string content;
        std::string reason;
        const bool read = os::RegularFile(at("secret.txt")).readAll(content, reason, Limit);
        _exit(probe.state == os::FileState::Unreadable && probe.reason == "Permission denied" && !read &&
                      reason == "Permission denied"
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
