#include "app/ScoreTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

#include "app/Globals.h"
#include "platform/ReadableFile.h"
#include "platform/RegularFile.h"
#include "platform/TrimBlanks.h"
#include "render/TextRenderer.h"

const char* const ScoreTable::FilePath = "./res/Scores/scores.txt";
ScoreTable::SaveHooks ScoreTable::saveHooks;

namespace {

const char* const TempSuffix = ".tmp";
// Random letters in a temporary file's name, and names tried before a save gives up.
constexpr size_t TempNameLength = 12;
constexpr int MaxTempNames = 100;
// Reads and merges of one save when other saves keep replacing the file under it: the last
// one renames whatever came meanwhile, as a game that never finds the file still has to
// store its entry some time.
constexpr int MaxSaveReads = 5;
// A temporary file this old belongs to a save that was killed before its rename.
constexpr time_t StaleTempAge = 60 * 60;
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

// Which file a save read: nothing when there was none.
using ReadVersion = std::optional<os::FileIdentity>;

// The score file as it is now, read from one open, its entries sorted, and which file that
// was. Missing: nothing is there. Unreadable, with reason: something is there that cannot be
// read, is larger than MaxFileBytes, or a read failed.
os::FileState ReadScoreFile(std::vector<Score>& entries, std::string& rest, std::string& reason,
                            ReadVersion* version = nullptr) {
    entries.clear();
    rest.clear();
    os::RegularFile file(ScoreTable::FilePath);
    std::string content;
    if (!file.readAll(content, reason, ScoreTable::MaxFileBytes)) {
        return file.readable() ? os::FileState::Unreadable : file.state();
    }
    if (version) *version = file.identity();
    try {
        std::istringstream in(content);
        ReadPairs(in, entries, rest);
        SortScores(entries);
    } catch (const std::bad_alloc&) {
        entries = std::vector<Score>();
        rest = std::string();
        reason = "out of memory";
        return os::FileState::Unreadable;
    }
    return os::FileState::Readable;
}

// The score file as it is now, and which file that was. False, with reason, when a file is
// there that cannot be read: a save then would replace entries it never saw.
bool ReadStoredTable(std::vector<Score>& entries, std::string& rest, std::string& reason, ReadVersion& version) {
    version.reset();
    return ReadScoreFile(entries, rest, reason, &version) != os::FileState::Unreadable;
}

// Whether the score file is still the one a save read, or still missing.
bool StillTheFileRead(const ReadVersion& read) {
    struct stat info;
    if (::stat(ScoreTable::FilePath, &info) != 0) return !read && errno == ENOENT;
    return read && os::FileIdentity::of(info) == *read;
}

// An exclusive flock on the score folder while a save reads and replaces the file, so that
// games storing names at once take turns. The wait is bounded: when another process still
// holds the folder after LockWait (a stuck or stopped game, anything that can read the
// folder), one line on stderr says so and the save goes on without the lock; the exclusive
// temporary file and the rename still keep the file whole, and at worst an entry that game
// stores at the same moment is lost. Any other failure to lock: the save goes on silently.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        const auto deadline = std::chrono::steady_clock::now() + LockWait;
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) return;
            if (std::chrono::steady_clock::now() >= deadline) {
                std::cerr << "Another save held " << folder << "; saving without its lock" << std::endl;
                return;
            }
            std::this_thread::sleep_for(LockPoll);
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // The folder, open for reading, or -1 when it could not be opened.
    int folder() const { return fd_; }

private:
    static constexpr std::chrono::seconds LockWait{2};
    static constexpr std::chrono::milliseconds LockPoll{20};

    int fd_;
};

// Removes the temporary files of saves that were killed before their rename. Only regular
// files are taken, by their own names in the folder, so a link there is never followed; the
// age keeps a save another game is writing right now.
void RemoveStaleTempFiles(int folder) {
    const int listFd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return;
    DIR* const list = ::fdopendir(listFd);
    if (!list) {
        ::close(listFd);
        return;
    }
    const std::string prefix = std::filesystem::path(ScoreTable::FilePath).filename().string() + TempSuffix;
    const time_t cutoff = std::time(nullptr) - StaleTempAge;
    while (const dirent* entry = ::readdir(list)) {
        struct stat info;
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 &&
            ::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_mtime < cutoff) {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(list);
}

// A temporary file beside the score file under a name no one can guess, which this call
// creates itself: O_EXCL never opens what is there already, so a link or FIFO planted at a
// name can neither redirect nor block the save. Created with the mode a plain create gives
// (the umask applies), as the score file always had.
int CreateTempFile(std::string& path) {
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < MaxTempNames; ++attempt) {
        unsigned char noise[TempNameLength];
        if (::getrandom(noise, sizeof(noise), 0) != static_cast<ssize_t>(sizeof(noise))) return -1;
        path = std::string(ScoreTable::FilePath) + TempSuffix + ".";
        if (ScoreTable::saveHooks.tempName) {
            path += ScoreTable::saveHooks.tempName();
        } else {
            for (unsigned char n : noise) path += Letters[n % (sizeof(Letters) - 1)];
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
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

enum class Replaced { Done, Stale, Failed };

// Writes text to a new temporary file, pushes it to the disk and, unless the score file is no
// longer the one read (Stale), renames it over the score file, so a failed write leaves the
// old file as it was; then syncs the folder so that the rename itself survives a power cut.
// Failed, with error set, on failure. A check of read that is left out (null) always passes.
Replaced ReplaceScoreFile(const std::string& text, int folder, const ReadVersion* read, int& error) {
    std::string tempPath;
    const int fd = CreateTempFile(tempPath);
    error = errno;
    if (fd < 0) return Replaced::Failed;
    bool done = WriteAll(fd, text) && ::fsync(fd) == 0;
    error = errno;
    if (::close(fd) != 0 && done) {
        done = false;
        error = errno;
    }
    if (done && ScoreTable::saveHooks.beforeRename) ScoreTable::saveHooks.beforeRename();
    if (done && read && !StillTheFileRead(*read)) {
        ::unlink(tempPath.c_str());
        return Replaced::Stale;
    }
    if (done && std::rename(tempPath.c_str(), ScoreTable::FilePath) == 0) {
        // The new table is in place whatever the sync says; there is nothing left to undo.
        if (folder >= 0) ::fsync(folder);
        return Replaced::Done;
    }
    if (done) error = errno;
    ::unlink(tempPath.c_str());
    return Replaced::Failed;
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
    if (lock.folder() >= 0) RemoveStaleTempFiles(lock.folder());

    std::vector<Score> merged;
    Replaced outcome = Replaced::Stale;
    int failure = 0;
    for (int reads = 1; outcome == Replaced::Stale; ++reads) {
        std::string unreadRest;
        std::string reason;
        ReadVersion read;
        if (!ReadStoredTable(merged, unreadRest, reason, read)) {
            std::cerr << "Could not save scores to " << FilePath << ": the file there could not be read (" << reason
                      << "), so it is left as it is" << std::endl;
            return;
        }
        std::string text;
        try {
            merged.insert(merged.end(), pendingEntries.begin(), pendingEntries.end());
            SortScores(merged);
            for (const Score& entry : merged) text += entry.name + " " + std::to_string(entry.score) + "\n";
            if (!unreadRest.empty()) text += unreadRest + "\n";
        } catch (const std::bad_alloc&) {
            failure = ENOMEM;
            outcome = Replaced::Failed;
            break;
        }
        outcome = ReplaceScoreFile(text, lock.folder(), reads < MaxSaveReads ? &read : nullptr, failure);
    }
    if (outcome == Replaced::Failed) {
        std::cerr << "Could not save scores to " << FilePath << ": " << std::strerror(failure) << std::endl;
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
