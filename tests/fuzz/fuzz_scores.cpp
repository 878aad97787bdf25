// Fuzzes the score file: any file loads into a sorted table, and a stored name rewrites it
// so that it reads back as the same table (nothing read is lost, nothing unread is lost).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "FuzzDriver.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"

namespace {

std::string Describe(const std::vector<Score>& list) {
    std::ostringstream out;
    for (const Score& s : list) out << s.name << " " << s.score << "\n";
    return out.str();
}

std::string ReadFile() {
    std::ifstream in(ScoreTable::FilePath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void RunOne(const std::string& input) {
    {
        std::ofstream file(ScoreTable::FilePath, std::ios::binary | std::ios::trunc);
        file << input;
    }
    ScoreTable table;
    for (size_t i = 1; i < scoreList.size(); ++i) {
        if (scoreList[i - 1].score < scoreList[i].score) fuzz::Fail("scores", input, "the table is not sorted");
    }
    const size_t loaded = scoreList.size();
    totalScore = static_cast<int32_t>(input.size() * 7919u % 2001u) - 1000;
    table.add("fuzz name");
    const std::vector<Score> expected = scoreList;
    if (expected.size() != loaded + 1) fuzz::Fail("scores", input, "add did not add one entry");
    table.save();
    table.load();
    if (Describe(scoreList) != Describe(expected)) {
        fuzz::Fail("scores", input, "the saved file reads back differently:\n" + Describe(expected) + "---\n" +
                                        Describe(scoreList));
    }
    // The text load could not read is kept too: a second save changes nothing.
    const std::string saved = ReadFile();
    table.save();
    if (ReadFile() != saved) fuzz::Fail("scores", input, "a second save changed the file");
}

}  // namespace

fuzz::Harness fuzz::MakeHarness() {
    const std::filesystem::path dir = fuzz::ScratchRoot() + "qv-fuzz-scores-" + std::to_string(getpid());
    std::filesystem::create_directories(dir / "res" / "Scores");
    std::filesystem::current_path(dir);
    fuzz::RemoveAtExit(dir);
    std::cout.setstate(std::ios::failbit);  // "file could not be opened" never shows here
    return {"scores",
            {"Bob 12\nCyd 5\n", "ann\n10 bob -3\n\n  carl   007\ndave 12", "ann 4\nbob many\ncarl 9\n",
             "ann 12bob 5\n", "ann 4\nbob 99999999999\ncarl 9\n", ""},
            {"\n", " ", "\t", "\r\n", "-", "+", "0", "007", "2147483647", "2147483648", "-2147483648",
             "99999999999", "ann", "x"},
            2048,
            RunOne};
}
