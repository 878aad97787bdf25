#include "app/ScoreTable.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <system_error>

#include "app/Globals.h"
#include "platform/ReadableFile.h"
#include "render/TextRenderer.h"

const char* const ScoreTable::FilePath = "./res/Scores/scores.txt";

namespace {

const char* const TempSuffix = ".tmp";
const glm::vec3 OverlayColor(0.0f, 1.0f, 0.0f);

// The file's text from the first pair load could not read to the end, kept so that a
// save never drops entries a hand edit or an older version left unreadable.
std::string unreadRest;

// Why the last load could not read a score file that is there; empty when it could, or
// when there was none. A save then would replace entries it never saw, so it refuses.
std::string unreadableReason;

void SortScores() {
    std::stable_sort(scoreList.begin(), scoreList.end(),
                     [](const Score& a, const Score& b) { return a.score > b.score; });
}

std::string TrimBlanks(const std::string& text) {
    const char* blanks = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Pushes the written file to the disk before it replaces the old one.
bool SyncToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

ScoreTable::ScoreTable() {
    load();
}

void ScoreTable::load() {
    scoreList.clear();
    unreadRest.clear();
    unreadableReason.clear();
    const os::FileProbe probe = os::ProbeFile(FilePath);
    if (probe.state == os::FileState::Readable) scoreInputStream.open(FilePath);
    if (probe.state == os::FileState::Unreadable) unreadableReason = probe.reason;
    if (scoreInputStream.is_open()) {
        scoreInputStream.clear();
        while (true) {
            const std::streampos pairStart = scoreInputStream.tellg();
            Score entry;
            if (!(scoreInputStream >> entry.name)) break;
            if (!(scoreInputStream >> entry.score)) {
                scoreInputStream.clear();
                scoreInputStream.seekg(pairStart);
                unreadRest = TrimBlanks(std::string(std::istreambuf_iterator<char>(scoreInputStream),
                                                    std::istreambuf_iterator<char>()));
                break;
            }
            scoreList.push_back(entry);
        }
        if (scoreInputStream.bad()) unreadableReason = "read error";
    } else {
        std::cout << "file could not be opened";
    }
    SortScores();
    scoreInputStream.close();
}

void ScoreTable::add(std::string name) {
    for (char& c : name) {
        if (std::isspace(static_cast<unsigned char>(c))) c = '_';
    }
    scoreList.push_back({name, totalScore});
    SortScores();
}

void ScoreTable::save() {
    SortScores();
    if (unreadableReason.empty()) {
        const os::FileProbe probe = os::ProbeFile(FilePath);
        if (probe.state == os::FileState::Unreadable) unreadableReason = probe.reason;
    }
    if (!unreadableReason.empty()) {
        std::cerr << "Could not save scores to " << FilePath << ": the file there could not be read ("
                  << unreadableReason << "), so it is left as it is" << std::endl;
        return;
    }
    const std::filesystem::path target(FilePath);
    const std::string tempPath = std::string(FilePath) + TempSuffix;
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);

    scoreOutputStream.clear();
    scoreOutputStream.open(tempPath, std::ios::out | std::ios::trunc);
    if (scoreOutputStream.is_open()) {
        for (const Score& entry : scoreList) scoreOutputStream << entry.name << " " << entry.score << "\n";
        if (!unreadRest.empty()) scoreOutputStream << unreadRest << "\n";
        scoreOutputStream.close();
    }
    const bool written = !scoreOutputStream.fail() && SyncToDisk(tempPath);
    if (!written || std::rename(tempPath.c_str(), FilePath) != 0) {
        std::cerr << "Could not save scores to " << FilePath << ": " << std::strerror(errno) << std::endl;
        std::remove(tempPath.c_str());
    }
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
