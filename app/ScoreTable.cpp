#include "app/ScoreTable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "app/Globals.h"
#include "platform/ReadableFile.h"
#include "platform/RegularFile.h"
#include "platform/TrimBlanks.h"
#include "render/TextRenderer.h"

const char* const ScoreTable::FilePath = "./res/Scores/scores.txt";

namespace {

const char* const TempSuffix = ".tmp";
// Names tried for the temporary file before a save gives up; each is new to this process.
constexpr int MaxTempNames = 100;
const glm::vec3 OverlayColor(0.0f, 1.0f, 0.0f);

// The entries add put into scoreList since the last load or save: a save stores these into
// the file as it is then, which another game may have extended since this one loaded it.
std::vector<Score> pendingEntries;

void SortScores(std::vector<Score>& list) {
    std::stable_sort(list.begin(), list.end(), [](const Score& a, const Score& b) { return a.score > b.score; });
}

// Reads (name, score) pairs until one fails; rest gets the text from that pair on, so that
// a save never drops entries a hand edit or an older version left unreadable.
void ReadPairs(std::istream& in, std::vector<Score>& entries, std::string& rest) {
    rest.clear();
    while (true) {
        const std::streampos pairStart = in.tellg();
        Score entry;
        if (!(in >> entry.name)) break;
        if (!(in >> entry.score)) {
            in.clear();
            in.seekg(pairStart);
            rest = os::TrimBlanks(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
            break;
        }
        entries.push_back(entry);
    }
}

// The score file as it is now, read from one open, its entries sorted. Missing: nothing is
// there. Unreadable, with reason: something is there that cannot be read, or a read failed.
os::FileState ReadScoreFile(std::vector<Score>& entries, std::string& rest, std::string& reason) {
    entries.clear();
    rest.clear();
    os::RegularFile file(ScoreTable::FilePath);
    std::string content;
    if (!file.readAll(content, reason)) return file.readable() ? os::FileState::Unreadable : file.state();
    std::istringstream in(content);
    ReadPairs(in, entries, rest);
    SortScores(entries);
    return os::FileState::Readable;
}

// The score file as it is now. False, with reason, when a file is there that cannot be read:
// a save then would replace entries it never saw.
bool ReadStoredTable(std::vector<Score>& entries, std::string& rest, std::string& reason) {
    return ReadScoreFile(entries, rest, reason) != os::FileState::Unreadable;
}

// An exclusive flock on the score folder while a save reads and replaces the file, so that
// games storing names at once take turns. Best effort: without it a save works as before.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_;
};

// A temporary file beside the score file that this call creates itself: O_EXCL never opens
// what is there already, so a link or FIFO at a name cannot redirect or block the save, and
// a file left by a killed save only moves it on to the next name.
int CreateTempFile(std::string& path) {
    static unsigned serial = 0;
    for (int i = 0; i < MaxTempNames; ++i) {
        path = std::string(ScoreTable::FilePath) + TempSuffix + "." + std::to_string(::getpid()) + "." +
               std::to_string(serial++);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EEXIST && errno != EINTR)) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// Writes text to a new temporary file, pushes it to the disk and renames it over the score
// file, so a failed write leaves the old file as it was. False, with errno set, on failure.
bool ReplaceScoreFile(const std::string& text) {
    std::string tempPath;
    const int fd = CreateTempFile(tempPath);
    if (fd < 0) return false;
    bool done = WriteAll(fd, text) && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && std::rename(tempPath.c_str(), ScoreTable::FilePath) == 0) return true;
    if (done) error = errno;
    ::unlink(tempPath.c_str());
    errno = error;
    return false;
}

}  // namespace

ScoreTable::ScoreTable() {
    load();
}

void ScoreTable::load() {
    scoreList.clear();
    pendingEntries.clear();
    std::string unreadRest;
    std::string reason;
    if (ReadScoreFile(scoreList, unreadRest, reason) != os::FileState::Readable) {
        std::cout << "file could not be opened";
    }
}

void ScoreTable::add(std::string name) {
    for (char& c : name) {
        if (std::isspace(static_cast<unsigned char>(c))) c = '_';
    }
    scoreList.push_back({name, totalScore});
    pendingEntries.push_back(scoreList.back());
    SortScores(scoreList);
}

void ScoreTable::save() {
    SortScores(scoreList);
    const std::filesystem::path target(FilePath);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    const FolderLock lock(target.parent_path().string());

    std::vector<Score> merged;
    std::string unreadRest;
    std::string reason;
    if (!ReadStoredTable(merged, unreadRest, reason)) {
        std::cerr << "Could not save scores to " << FilePath << ": the file there could not be read (" << reason
                  << "), so it is left as it is" << std::endl;
        return;
    }
    merged.insert(merged.end(), pendingEntries.begin(), pendingEntries.end());
    SortScores(merged);
    std::string text;
    for (const Score& entry : merged) text += entry.name + " " + std::to_string(entry.score) + "\n";
    if (!unreadRest.empty()) text += unreadRest + "\n";
    if (!ReplaceScoreFile(text)) {
        std::cerr << "Could not save scores to " << FilePath << ": " << std::strerror(errno) << std::endl;
        return;
    }
    scoreList = merged;
    pendingEntries.clear();
}

namespace {

// The overlay's names are measured at the scale they are drawn at.
constexpr float OverlayScale = 1.0f;

}  // namespace

std::vector<ScoreTable::OverlayText> ScoreTable::overlayTexts(int width, int height) const {
    std::vector<OverlayText> texts;
    const float nameX = static_cast<float>(width / 4);
    const float scoreX = static_cast<float>((width * 3) / 4);
    // A name ends a blank's width before its score, cut short when it is longer.
    const float nameRoom = scoreX - nameX - TextRenderer::textWidth(" ", OverlayScale);
    for (int i = 0; i < OverlayRows && i < static_cast<int>(scoreList.size()); ++i) {
        const float y = static_cast<float>((height * (9 - i)) / 10);
        texts.push_back({TextRenderer::fitHead(scoreList[i].name, nameRoom, OverlayScale), nameX, y});
        texts.push_back({std::to_string(scoreList[i].score), scoreX, y});
    }
    return texts;
}

void ScoreTable::draw(Shader* shader, float gamma) {
    for (const OverlayText& t : overlayTexts(scoreTableSettings.width, scoreTableSettings.height)) {
        textRenderer->renderText(shader, t.text, t.x, t.y, OverlayScale, OverlayColor, gamma);
    }
}
