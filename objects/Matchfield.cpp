#include "objects/Matchfield.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "app/Globals.h"
#include "objects/ActorNames.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "physics/RigidActor.h"
#include "physics/Scene.h"
#include "platform/ReadableFile.h"
#include "platform/RegularFile.h"

glm::vec3 hexPlacement(0.0f, 0.0f, 0.0f);
object::Hex* lastClonedHex = nullptr;

namespace {

constexpr size_t ColumnLine = 0;
constexpr size_t RowLine = 1;
constexpr size_t FieldLine = 2;
constexpr size_t FirstEntryLine = 4;
constexpr int32_t HeaderLineCount = 4;
constexpr float TileHeight = 1.0f;       // y of every tile of the field
constexpr float FieldStartZ = -34.0f;    // the start tile's z
constexpr float RowSpacing = 0.75f;      // of a tile depth: offset rows interlock
constexpr const char* GoalTileName = "1cloned21";

// A level may ask for at most this many tiles (grid tiles and moving tiles together). Target
// lines can name only single-digit fields, rows and columns, so 9 fields of 10 x 10 tiles
// (900) is the largest level that can use every tile; the shipped levels have under 100.
// Each tile costs about 12 ms of set-up and 0.65 MB (its own actor and smoke burst), so
// 1000 tiles load in some 12 s; a count far beyond would take minutes and gigabytes.
constexpr int64_t MaxLevelTiles = 1000;
// Each target line scans every tile; ten entry lines per tile is far more than any level
// can use (duplicates count, but cannot all be stepped on).
constexpr size_t MaxEntryLines = 10 * MaxLevelTiles;

// A level file that asks for more than the game can build: refused like any broken file.
[[noreturn]] void RefuseLevel(const std::string& path, const std::string& why) {
    std::cout << "Level file " << path << " not loaded: " << why << std::endl;
    throw std::out_of_range("level file " + path + " " + why);
}

// Every line of the file, read from one open; a carriage return before the line feed is no
// part of a line. A file that is missing or cannot be read (a folder, a FIFO, no permission,
// a read error) reads as no lines.
void ReadLevelFile(const std::string& path) {
    os::RegularFile opened(path);
    if (opened.state() == os::FileState::Missing) return;
    if (opened.readable() && opened.size() > object::Matchfield::MaxFileBytes) {
        RefuseLevel(path, os::RegularFile::tooLarge(opened.size(), object::Matchfield::MaxFileBytes));
    }
    std::string content;
    std::string reason;
    if (!opened.readAll(content, reason, object::Matchfield::MaxFileBytes)) {
        std::cout << "Level file " << path << " cannot be read: " << reason << std::endl;
        return;
    }
    std::istringstream file(content);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        levelFileLines.push_back(line);
        if (levelFileLines.size() > FirstEntryLine + MaxEntryLines) {
            RefuseLevel(path, "has more than " + std::to_string(MaxEntryLines) + " entry lines");
        }
    }
}

// Refuses a level that asks for more tiles than the game can build, before any is made.
// Reads the counts the field loop would read (line 3, then lines 2 and 1 when there is a
// field), so a file fails the same way whether or not it is too large.
void CheckLevelSize(const std::string& path, int fieldCount) {
    int64_t movingTiles = 0;
    for (size_t index = FirstEntryLine; index < levelFileLines.size(); ++index) {
        if (!levelFileLines[index].empty() && levelFileLines[index][0] == 'm') ++movingTiles;
    }
    int64_t gridTiles = 0;
    if (fieldCount > MaxLevelTiles) RefuseLevel(path, "asks for " + std::to_string(fieldCount) + " fields");
    if (fieldCount >= 1) {
        const int64_t rows = std::stoi(levelFileLines[RowLine]);
        const int64_t columns = std::stoi(levelFileLines[ColumnLine]);
        if (rows > MaxLevelTiles || columns > MaxLevelTiles) {
            RefuseLevel(path, "asks for fields of " + std::to_string(columns) + " x " + std::to_string(rows) + " tiles");
        }
        gridTiles = fieldCount * std::max<int64_t>(rows, 0) * std::max<int64_t>(columns, 0);
    }
    if (gridTiles + movingTiles > MaxLevelTiles) {
        RefuseLevel(path, "asks for " + std::to_string(gridTiles + movingTiles) + " tiles, more than " +
                              std::to_string(MaxLevelTiles));
    }
}

// Field i's first row, in tile depths from the start tile's row; 64-bit so that no row
// count can overflow it. Only fields that have rows use it, and theirs fit in an int.
int RowOffset(int field, int rows) {
    const int64_t offset = (2 * static_cast<int64_t>(field) - 2) * rows + 2;
    return static_cast<int>(std::clamp<int64_t>(offset, INT_MIN, INT_MAX));
}

void AddTile(object::Hex* tile, phys::Scene* scene) {
    if (tile->staticActor != nullptr) scene->addActor(*tile->staticActor);
    renderList.push_back(tile);
    hexList.push_back(tile);
}

void AddMovingTile(const std::string& line, float hexDepth) {
    const int amplitude = std::stoi(line.substr(1));
    const int rows = std::stoi(levelFileLines[RowLine]);
    // All moving tiles share one place beyond field 1, whatever the field count.
    const double z = (static_cast<double>(rows) + 2.0) * 3.0 * 0.25 * hexDepth;
    hexPlacement = glm::vec3(0.0f, TileHeight, static_cast<float>(z));
    lastClonedHex = CloneHex(hexPrototype, hexPlacement, object::MovingTileName, physics, cooking);
    lastClonedHex->isMoving = true;
    lastClonedHex->isTarget = true;
    lastClonedHex->hexColor = HexColor::Target;
    lastClonedHex->amplitude = static_cast<float>(amplitude);
    AddTile(lastClonedHex, scene);
}

void MarkTarget(const std::string& line) {
    currentLevelLine = line;
    if (line.size() < 3) throw std::out_of_range("invalid string position");
    targetHexName = std::string(1, line[0]) + "cloned" + line[1] + line[2];
    for (object::Hex* tile : hexList) {
        if (tile->name == targetHexName) {
            tile->hexColor = HexColor::Target;
            tile->isTarget = true;
        }
    }
}

void ReadLevel(object::Matchfield& field, int level, const std::string& path, float hexWidth, float hexDepth) {
    ReadLevelFile(path);
    if (levelFileLines.size() < 3) throw std::out_of_range("invalid vector<T> subscript");

    const int fieldCount = std::stoi(levelFileLines[FieldLine]);
    CheckLevelSize(path, fieldCount);
    for (int i = 1; i <= fieldCount; ++i) {
        const int rows = std::stoi(levelFileLines[RowLine]);
        const int columns = std::stoi(levelFileLines[ColumnLine]);
        const int rowOffset = RowOffset(i, rows);
        object::Matchfield grid(i, columns, rows, rowOffset, hexWidth, hexDepth, hexPrototype, scene, physics,
                                cooking);
    }

    for (size_t index = FirstEntryLine; index < levelFileLines.size(); ++index) {
        const std::string& line = levelFileLines[index];
        if (line.empty()) throw std::out_of_range("invalid string position");
        if (line[0] == 'm') {
            AddMovingTile(line, hexDepth);
        } else {
            MarkTarget(line);
        }
    }

    if (level == 1 || level == 3) {
        for (object::Hex* tile : hexList) {
            if (tile->name == GoalTileName) {
                tile->hexColor = HexColor::Goal;
                tile->isGoal = true;
            }
        }
    }

    const int64_t columns = std::stoi(levelFileLines[ColumnLine]);
    field.rightEdgeX = static_cast<float>(columns - 3) * hexWidth;
    field.targetCount = static_cast<int32_t>(levelFileLines.size()) - HeaderLineCount;
}

// Takes the tiles of a failed load out of the lists and deletes them, which also takes
// their actors out of the scene.
void DropTilesSince(size_t renderStart, size_t hexStart) {
    std::unordered_set<object::GameObject*> made(renderList.begin() + static_cast<std::ptrdiff_t>(renderStart),
                                                  renderList.end());
    made.insert(hexList.begin() + static_cast<std::ptrdiff_t>(hexStart), hexList.end());
    renderList.resize(renderStart);
    hexList.resize(hexStart);
    for (object::GameObject* tile : made) delete tile;
    lastClonedHex = nullptr;
}

}  // namespace

namespace object {

Matchfield::Matchfield(int level, float hexWidth, float hexDepth) : GameObject(), rightEdgeX(0.0f), targetCount(0) {
    const std::string path = levelFilePath(level);
    const size_t renderStart = renderList.size();
    const size_t hexStart = hexList.size();
    levelFileLines.clear();
    try {
        ReadLevel(*this, level, path, hexWidth, hexDepth);
    } catch (const std::invalid_argument&) {
        levelFileLines.clear();
        DropTilesSince(renderStart, hexStart);
        // Treated like every other broken file, so the caller falls back to level 1.
        std::cout << "Level file " << path << " not loaded: a count or amplitude line holds no number" << std::endl;
        throw std::out_of_range("level file " + path + " holds no number where one is needed");
    } catch (...) {
        levelFileLines.clear();
        DropTilesSince(renderStart, hexStart);
        throw;
    }
    levelFileLines.clear();
}

Matchfield::Matchfield(int field, int columns, int rows, int rowOffset, float hexWidth, float hexDepth,
                       Hex* prototype, phys::Scene* scene, phys::Physics* physics, phys::Cooking* cooking)
    : GameObject(), rightEdgeX(0.0f), targetCount(0) {
    if (rows < 1 || columns < 1) return;
    const float w = hexWidth;
    const float d = hexDepth;
    for (int j = 0; j < rows; ++j) {
        for (int k = 0; k < columns; ++k) {
            const float column = static_cast<float>(k);
            // Odd rows sit half a tile towards -x so that the rows interlock.
            const float x = (j % 2 == 0) ? column * w + w - 3.0f * w : 0.5f * w + column * w - 3.0f * w;
            const float z = static_cast<float>(j) * RowSpacing * d + FieldStartZ + static_cast<float>(rowOffset) * d;
            hexPlacement = glm::vec3(x, TileHeight, z);
            const std::string name = std::to_string(field) + "cloned" + std::to_string(j) + std::to_string(k);
            lastClonedHex = CloneHex(prototype, hexPlacement, name, physics, cooking);
            AddTile(lastClonedHex, scene);
        }
    }
}

Matchfield::~Matchfield() = default;

std::string Matchfield::levelFilePath(int level) {
    return "./res/Levels/Level" + std::to_string(level) + ".txt";
}

}  // namespace object

object::Hex* CloneHex(object::Hex* prototype, const glm::vec3& position, std::string name, phys::Physics* physics,
                      phys::Cooking* cooking) {
    auto* clone = new object::Hex(std::move(name), prototype->shader, prototype->projectionMatrix,
                                  prototype->burstMesh);
    clone->borrowModel(prototype->mesh, prototype->triangleMesh);
    clone->init(physics, position, cooking);
    return clone;
}
