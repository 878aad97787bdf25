// The score file's load rules, the table order, the save and its safety, the overlay layout.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "ScoreTableTestSupport.h"

namespace {

using Lines = std::vector<std::string>;

class ScoreTableTest : public ScratchWorkingDirectory {
protected:
    void SetUp() override {
        ScratchWorkingDirectory::SetUp();
        scoreList.clear();
        totalScore = 0;
    }
    void TearDown() override {
        ScoreTable::saveHooks = {};
        scoreList.clear();
        totalScore = 0;
        ScratchWorkingDirectory::TearDown();
    }

    static std::string loadPrinting(ScoreTable& table) {
        ::testing::internal::CaptureStdout();
        table.load();
        return ::testing::internal::GetCapturedStdout();
    }
    static Lines entries() {
        Lines out;
        for (const Score& s : scoreList) out.push_back(s.name + " " + std::to_string(s.score));
        return out;
    }
    static void addWithScore(ScoreTable& table, const std::string& name, int score) {
        totalScore = score;
        table.add(name);
    }
};

TEST_F(ScoreTableTest, LoadTakesTokensInPairsAndSortsHighestFirst) {
    const struct {
        const char* file;
        Lines table;
    } cases[] = {
        {"ann\n10 bob -3\n\n  carl   007\ndave 12", {"dave 12", "ann 10", "carl 7", "bob -3"}},
        {"ann 4\nbob\n", {"ann 4"}},                        // a final name without score
        {"ann 12bob 5\n", {"ann 12", "bob 5"}},             // digits, then the next name
        {"ann 4\nbob many\ncarl 9\n", {"ann 4"}},            // reading stops at an unreadable pair
        {"ann 4\nbob 99999999999\ncarl 9\n", {"ann 4"}},     // and at a number out of range
        {"", {}},
    };
    writeScores("");
    ScoreTable table;
    for (const auto& c : cases) {
        writeScores(c.file);
        EXPECT_EQ(loadPrinting(table), "") << c.file;
        EXPECT_EQ(entries(), c.table) << c.file;
    }
}

TEST_F(ScoreTableTest, MissingFilePrintsMessageWithoutLineEndAndEmptiesTable) {
    scoreList.push_back({"stale", 1});
    ::testing::internal::CaptureStdout();
    ScoreTable table;  // constructing it loads
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "file could not be opened");
    EXPECT_TRUE(scoreList.empty());
}

TEST_F(ScoreTableTest, EqualScoresKeepTheirOrderAndNewEntriesRankBelowThem) {
    writeScores("ann 5\nbob 5\ncarl 7\n");
    ScoreTable table;
    addWithScore(table, "dora", 5);
    addWithScore(table, "eve", 6);
    EXPECT_EQ(entries(), (Lines{"carl 7", "eve 6", "ann 5", "bob 5", "dora 5"}));

    // Also past the size where a plain sort may reorder equal keys.
    std::string text;
    for (int i = 0; i < 60; ++i) text += "p" + std::to_string(i) + " " + std::to_string((i * 7) % 3) + "\n";
    writeScores(text);
    table.load();
    ASSERT_EQ(scoreList.size(), 60u);
    for (size_t i = 1; i < scoreList.size(); ++i) {
        const Score& a = scoreList[i - 1];
        const Score& b = scoreList[i];
        ASSERT_GE(a.score, b.score);
        if (a.score == b.score) {
            EXPECT_LT(std::stoi(a.name.substr(1)), std::stoi(b.name.substr(1)));
        }
    }
}

TEST_F(ScoreTableTest, SaveWritesTableOrderOneEntryALine) {
    writeScores("ann 007\nbob -2\n");
    ScoreTable table;
    addWithScore(table, "carl", 3);
    table.save();
    EXPECT_EQ(readScores(), "ann 7\ncarl 3\nbob -2\n");
}

TEST_F(ScoreTableTest, SaveCreatesAMissingFileAndDirectory) {
    std::filesystem::remove_all("res");
    ::testing::internal::CaptureStdout();
    ScoreTable table;
    ::testing::internal::GetCapturedStdout();
    addWithScore(table, "ann", 4);
    table.save();
    EXPECT_EQ(readScores(), "ann 4\n");
}

TEST_F(ScoreTableTest, NameWithWhiteSpaceIsStoredAsOneToken) {
    writeScores("bob 2\n");
    ScoreTable table;
    addWithScore(table, "ann marie\tx", 9);
    table.save();
    table.load();
    EXPECT_EQ(entries(), (Lines{"ann_marie_x 9", "bob 2"}));
}

TEST_F(ScoreTableTest, SaveKeepsTheTextLoadCouldNotRead) {
    writeScores("ann 4\nbob many\ncarl 9\n");
    ScoreTable table;
    addWithScore(table, "dora", 6);
    table.save();
    EXPECT_EQ(readScores(), "dora 6\nann 4\nbob many\ncarl 9\n");
    table.load();  // and the next round keeps it too
    addWithScore(table, "eve", 1);
    table.save();
    EXPECT_EQ(readScores(), "dora 6\nann 4\neve 1\nbob many\ncarl 9\n");
}

TEST_F(ScoreTableTest, FailedSaveLeavesTheOldFileWhole) {
    std::string old;  // longer than the file size limit below, unlike the message
    for (int i = 0; i < 200; ++i) old += "p" + std::to_string(i) + " " + std::to_string(1000 - i) + "\n";
    writeScores(old);
    ScoreTable table;
    addWithScore(table, "carl", 8);
    const Lines before = entries();

    {  // a full disk: every write past 1 KiB fails
        struct rlimit previousLimit;
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
        struct rlimit small = previousLimit;
        small.rlim_cur = 1024;
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        ::testing::internal::CaptureStderr();
        table.save();
        const std::string errors = ::testing::internal::GetCapturedStderr();
        setrlimit(RLIMIT_FSIZE, &previousLimit);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_EQ(readScores(), old);
        EXPECT_EQ(CountLines(errors), 1) << errors;
        EXPECT_NE(errors.find("./res/Scores/scores.txt"), std::string::npos) << errors;
        EXPECT_EQ(entries(), before);  // the game goes on with the entry in memory
        int files = 0;
        for (const auto& item : std::filesystem::directory_iterator("res/Scores")) {
            EXPECT_EQ(item.path().filename(), "scores.txt");  // no temporary file left behind
            ++files;
        }
        EXPECT_EQ(files, 1);
    }
    {  // a folder this user may not write to: no temporary file can be made
        OpenScratchToEveryone();
        using std::filesystem::perms;
        std::filesystem::permissions("res/Scores", perms::owner_read | perms::owner_exec | perms::group_read |
                                                       perms::group_exec | perms::others_read | perms::others_exec);
        const ChildResult child = RunAsUnprivilegedChild([] {
            ScoreTable table;
            totalScore = 8;
            table.add("carl");
            table.save();
        });
        std::filesystem::permissions("res/Scores", perms::all);
        EXPECT_EQ(child.exitCode, 0);
        EXPECT_EQ(readScores(), old);
        EXPECT_EQ(CountLines(child.errors), 1) << child.errors;
        EXPECT_NE(child.errors.find("Permission denied"), std::string::npos) << child.errors;
    }
}

// Whatever lies at the very names the save tries first, it neither writes through, waits on
// nor removes it, bar files over an hour old; a lock held by another save waits ~2 s.
TEST_F(ScoreTableTest, SaveNeverOpensWhatLiesAtTheTemporaryName) {
    const std::string temp = "./res/Scores/scores.txt.tmp.";
    int next = 0;  // ten names planted a case, fewer than one save tries
    ScoreTable::saveHooks.tempName = [&next] { return std::to_string(next++); };
    const std::string victim = (scratch / "victim.txt").string();
    const auto hoursAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    const struct { std::function<void(const std::string&)> plant; bool removed, locked; } cases[] = {
        {[&](const std::string& at) { std::filesystem::create_symlink(victim, at); }, false, false},
        {[&](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }, false, false},
        {[&](const std::string& at) { std::filesystem::create_directory(at); }, false, false},
        {[&](const std::string& at) { std::ofstream(at) << "stale 1\n"; }, false, false},
        {[&](const std::string& at) { std::ofstream(at) << "stale 1\n"; }, true, true},  // made old below
    };
    writeScores("ann 40\n");
    std::ofstream(victim) << "kept\n";
    std::filesystem::last_write_time(victim, hoursAgo);  // a link to an old file is still no old file
    const int otherSave = open("./res/Scores", O_RDONLY | O_DIRECTORY);
    alarm(60);  // a save that blocks ends the test here instead of hanging it
    int score = 0;
    for (const auto& c : cases) {
        const std::string last = temp + std::to_string(1000 * score + 9);  // each case at names of its own
        for (next = 1000 * score; next < 1000 * score + 10; ++next) c.plant(temp + std::to_string(next));
        next = 1000 * score;
        if (c.removed) std::filesystem::last_write_time(last, hoursAgo);
        ASSERT_TRUE(!c.locked || flock(otherSave, LOCK_EX) == 0);
        ScoreTable table;
        addWithScore(table, "bob", ++score);
        ::testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        table.save();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4)) << score;
        EXPECT_EQ(CountLines(::testing::internal::GetCapturedStderr()), c.locked ? 1 : 0) << score;
        EXPECT_NE(std::filesystem::exists(std::filesystem::symlink_status(last)), c.removed) << score;
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status("./res/Scores/scores.txt")));
        EXPECT_EQ(readText(victim), "kept\n");
        table.load();
        EXPECT_EQ(entries().size(), static_cast<size_t>(score + 1)) << readScores();
    }
    alarm(0);
    close(otherSave);
}

// Two games that loaded the table before either stored a name: each keeps the other's name,
// also when the saves of two games overlap in time.
TEST_F(ScoreTableTest, SavesOfTwoGamesKeepEachOthersEntries) {
    const auto waitFor = [](pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    writeScores("bob 3\n");
    ScoreTable table;  // both games load here
    const pid_t other = fork();
    if (other == 0) {
        totalScore = 7;
        table.add("carl");
        table.save();
        _exit(0);
    }
    ASSERT_EQ(waitFor(other), 0);
    addWithScore(table, "ann", 5);
    table.save();
    EXPECT_EQ(readScores(), "carl 7\nann 5\nbob 3\n");
    EXPECT_EQ(entries(), (Lines{"carl 7", "ann 5", "bob 3"}));
    table.save();  // nothing new: nothing stored twice
    EXPECT_EQ(readScores(), "carl 7\nann 5\nbob 3\n");

    constexpr int Rounds = 25;
    pid_t games[2];
    for (int g = 0; g < 2; ++g) {
        games[g] = fork();
        if (games[g] == 0) {
            for (int round = 0; round < Rounds; ++round) {
                ScoreTable game;
                totalScore = round;
                game.add("g" + std::to_string(g) + "r" + std::to_string(round));
                game.save();
            }
            _exit(0);
        }
    }
    EXPECT_EQ(waitFor(games[0]), 0);
    EXPECT_EQ(waitFor(games[1]), 0);
    table.load();
    EXPECT_EQ(scoreList.size(), 3u + 2 * Rounds) << readScores();

    // A save held between its read and its rename (a slow or stopped game) while another game,
    // done waiting for the lock, stores its entry: the held save reads again, and both stay.
    ScoreTable::saveHooks.beforeRename = [&waitFor, held = false]() mutable {
        if (std::exchange(held, true)) return;
        if (const pid_t late = fork(); late != 0) {
            EXPECT_EQ(waitFor(late), 0);
            return;
        }
        ScoreTable::saveHooks = {};
        ScoreTable game;
        game.add("dora");
        game.save();
        _exit(0);
    };
    addWithScore(table, "eve", 8);
    table.save();
    table.load();
    EXPECT_EQ(scoreList.size(), 5u + 2 * Rounds) << readScores();
}

// A score file that is there but cannot be read must survive a stored name byte for byte,
// with one line on stderr naming it. Each case makes the file unreadable in its own way.
TEST_F(ScoreTableTest, UnreadableFileIsNeverReplacedBySave) {
    const std::string old = "ann 4\nbob 3\n";
    const std::string path = "./res/Scores/scores.txt";

    {  // no read permission; the save runs as a user the mode really shuts out
        writeScores(old);
        std::filesystem::permissions(path, std::filesystem::perms::owner_write);
        OpenScratchToEveryone();
        const ChildResult child = RunAsUnprivilegedChild([] {
            ScoreTable table;
            totalScore = 9;
            table.add("carl");
            table.save();
        });
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        EXPECT_EQ(child.exitCode, 0);
        EXPECT_EQ(readScores(), old);
        EXPECT_EQ(CountLines(child.errors), 1) << child.errors;
        EXPECT_NE(child.errors.find("Could not save scores to ./res/Scores/scores.txt"), std::string::npos)
            << child.errors;
        EXPECT_NE(child.errors.find("Permission denied"), std::string::npos) << child.errors;
        EXPECT_EQ(child.output, "file could not be opened");
    }
    {  // a read error in the middle of the file: /proc/self/mem fails its read at offset 0
        std::filesystem::remove(path);
        std::filesystem::create_symlink("/proc/self/mem", path);
        ScoreTable table;
        addWithScore(table, "carl", 9);
        ::testing::internal::CaptureStderr();
        table.save();
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(path)));
        EXPECT_EQ(std::filesystem::read_symlink(path), "/proc/self/mem");
        EXPECT_EQ(CountLines(errors), 1) << errors;
        EXPECT_NE(errors.find("./res/Scores/scores.txt"), std::string::npos) << errors;
        std::filesystem::remove(path);
    }
    {  // a folder in its place
        std::filesystem::create_directory(path);
        std::filesystem::create_directory(path + "/kept");
        ::testing::internal::CaptureStdout();
        ScoreTable table;
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "file could not be opened");
        addWithScore(table, "carl", 9);
        ::testing::internal::CaptureStderr();
        table.save();
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::filesystem::is_directory(path + "/kept"));
        EXPECT_EQ(CountLines(errors), 1) << errors;
        EXPECT_NE(errors.find("Is a directory"), std::string::npos) << errors;
        EXPECT_EQ(entries(), (Lines{"carl 9"}));  // the game goes on with the entry in memory
        std::filesystem::remove_all(path);
    }
    {  // a file that turns unreadable between the load and the save
        writeScores(old);
        ScoreTable table;
        addWithScore(table, "carl", 9);
        std::filesystem::remove(path);
        std::filesystem::create_directory(path);
        ::testing::internal::CaptureStderr();
        table.save();
        EXPECT_EQ(CountLines(::testing::internal::GetCapturedStderr()), 1);
        EXPECT_TRUE(std::filesystem::is_directory(path));
        std::filesystem::remove_all(path);
    }
}

TEST_F(ScoreTableTest, ReadableFileAfterAnUnreadableOneSavesAgain) {
    std::filesystem::create_directory("./res/Scores/scores.txt");
    ::testing::internal::CaptureStdout();
    ScoreTable table;
    ::testing::internal::GetCapturedStdout();
    std::filesystem::remove_all("./res/Scores/scores.txt");
    writeScores("ann 4\n");
    table.load();
    addWithScore(table, "bob", 5);
    table.save();
    EXPECT_EQ(readScores(), "bob 5\nann 4\n");
}

TEST_F(ScoreTableTest, OverlayShowsTheBestFiveRows) {
    writeScores("a 1\nb 2\nc 3\nd 4\ne 5\nf 6\ng -7\nh 8\n");
    ScoreTable table;
    const std::vector<ScoreTable::OverlayText> texts = table.overlayTexts(1280, 768);
    ASSERT_EQ(texts.size(), 10u);
    const float rows[] = {691.0f, 614.0f, 537.0f, 460.0f, 384.0f};
    const char* names[] = {"h", "f", "e", "d", "c"};
    const char* scores[] = {"8", "6", "5", "4", "3"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(texts[2 * i].text, names[i]);
        EXPECT_EQ(texts[2 * i + 1].text, scores[i]);
        EXPECT_FLOAT_EQ(texts[2 * i].x, 320.0f);
        EXPECT_FLOAT_EQ(texts[2 * i + 1].x, 960.0f);
        EXPECT_FLOAT_EQ(texts[2 * i].y, rows[i]);
        EXPECT_FLOAT_EQ(texts[2 * i + 1].y, rows[i]);
    }
}

TEST_F(ScoreTableTest, OverlayShowsFewerRowsWithTheirSignAtTruncatedPositions) {
    writeScores("a -4\nb 2\n");
    ScoreTable table;
    const std::vector<ScoreTable::OverlayText> texts = table.overlayTexts(1366, 601);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[3].text, "-4");
    EXPECT_FLOAT_EQ(texts[0].x, 341.0f);   // 1366 / 4
    EXPECT_FLOAT_EQ(texts[1].x, 1024.0f);  // 4098 / 4
    EXPECT_FLOAT_EQ(texts[0].y, 540.0f);   // 5409 / 10
    EXPECT_FLOAT_EQ(texts[2].y, 480.0f);   // 4808 / 10
    scoreList.clear();
    EXPECT_TRUE(table.overlayTexts(1280, 768).empty());
}

}  // namespace
