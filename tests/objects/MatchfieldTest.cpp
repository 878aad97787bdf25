// The level loader on the game's tile model: the layout of fields and moving tiles, the
// marks, the target count, every way a level file can fail, and the shipped level files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "GlTestContext.h"
#include "app/Globals.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "objects/Matchfield.h"
#include "objects/ObjectsTestSupport.h"
#include "physics/RigidStatic.h"
#include "render/Model.h"

namespace {

const glm::vec3 StartTile(0.0f, 1.0f, -34.0f);

class LevelLoadTest : public ::testing::Test {
protected:
    objtest::LevelFolder folder;
    phys::Scene* world = nullptr;
    float width = 0.0f;
    float depth = 0.0f;

    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(objtest::TileModelsPresent());
        ASSERT_TRUE(objtest::EnsurePhysics()) << "no physics layer";
        ASSERT_TRUE(folder.ok());
        world = objtest::NewScene();
        ASSERT_NE(world, nullptr);
        scene = world;
        renderList.clear();
        hexList.clear();
        hexPrototype = new object::Hex("hex", nullptr, glm::mat4(1.0f), emptyMesh);
        hexPrototype->setModel(Model("./res/Models/spielfeld.obj").load(cooking, physics));
        hexPrototype->init(physics, StartTile, cooking);
        scene->addActor(*hexPrototype->staticActor);
        hexList.push_back(hexPrototype);
        width = hexPrototype->boundsMax.x - hexPrototype->boundsMin.x;
        depth = hexPrototype->boundsMax.z - hexPrototype->boundsMin.z;
    }

    void TearDown() override {
        dropField();
        delete hexPrototype;
        hexPrototype = nullptr;
        hexList.clear();
        if (world != nullptr) world->release();
        scene = nullptr;
    }

    // What a new level does with the tiles of the one before.
    void dropField() {
        for (object::GameObject* tile : renderList) delete tile;
        renderList.clear();
        if (hexPrototype != nullptr) hexList.assign(1, hexPrototype);
    }

    std::unique_ptr<object::Matchfield> load(int level) {
        objtest::ScopedChdir here(folder.path());
        EXPECT_TRUE(here.ok());
        return std::make_unique<object::Matchfield>(level, width, depth);
    }

    object::Hex* tile(const std::string& name) const {
        for (object::Hex* hex : hexList) {
            if (hex->name == name) return hex;
        }
        return nullptr;
    }

    // Field 1 starts two tile depths beyond the start tile; each further field lies
    // 2 x rows tile depths beyond the one before; rows are 0.75 depths apart.
    float rowZ(int field, int rows, int row) const {
        return -34.0f + 2.0f * depth + static_cast<float>(field - 1) * 2.0f * rows * depth + row * 0.75f * depth;
    }
    // Column 2 of an even row is in line with the start tile; odd rows sit half a tile to -x.
    float columnX(int row, int column) const {
        return (static_cast<float>(column) - 2.0f - (row % 2 == 1 ? 0.5f : 0.0f)) * width;
    }

    // The world as it was before a load: the start tile alone.
    void expectOnlyTheStartTile() const {
        EXPECT_TRUE(renderList.empty());
        ASSERT_EQ(hexList.size(), 1u);
        EXPECT_EQ(hexList[0], hexPrototype);
        ASSERT_EQ(scene->getNbActors(), 1u);
        EXPECT_EQ(scene->getActor(0), hexPrototype->staticActor);
        EXPECT_TRUE(levelFileLines.empty());
    }
};

TEST_F(LevelLoadTest, LaysOutEachFieldRowByRowAndColumnByColumn) {
    ASSERT_NEAR(width, 6.928f, 0.01f);
    ASSERT_NEAR(depth, 8.0f, 0.01f);
    folder.write(2, "4\n3\n2\nnever read\n");
    auto field = load(2);

    ASSERT_EQ(renderList.size(), 24u);
    ASSERT_EQ(hexList.size(), 25u);
    ASSERT_EQ(scene->getNbActors(), 25u);
    EXPECT_EQ(hexList[0], hexPrototype);
    size_t index = 0;
    for (int f = 1; f <= 2; ++f) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 4; ++k, ++index) {
                auto* hex = dynamic_cast<object::Hex*>(renderList[index]);
                ASSERT_NE(hex, nullptr);
                const std::string name = std::to_string(f) + "cloned" + std::to_string(j) + std::to_string(k);
                EXPECT_EQ(hex->name, name);
                EXPECT_EQ(hexList[index + 1], hex);
                EXPECT_EQ(scene->getActor(static_cast<uint32_t>(index + 1)), hex->staticActor);
                EXPECT_STREQ(hex->staticActor->getName(), name.c_str());
                const glm::vec3 p = hex->staticActor->getGlobalPose().p;
                EXPECT_NEAR(p.x, columnX(j, k), 1e-4f) << name;
                EXPECT_FLOAT_EQ(p.y, 1.0f) << name;
                EXPECT_NEAR(p.z, rowZ(f, 3, j), 1e-4f) << name;
                EXPECT_FALSE(hex->isTarget || hex->isGoal || hex->isMoving) << name;
                EXPECT_EQ(hex->hexColor, HexColor::None) << name;
                EXPECT_EQ(hex->mesh.vao, hexPrototype->mesh.vao);
            }
        }
    }
    EXPECT_NEAR(field->rightEdgeX, width, 1e-5f);  // x of the last tile of an even row
    EXPECT_EQ(field->targetCount, 0);
    EXPECT_TRUE(levelFileLines.empty());
}

TEST_F(LevelLoadTest, MovingTilesStandBeyondFieldOneAfterTheGridInLineOrder) {
    folder.write(2, "5\n3\n2\n\nm12\nm -7 wide\n101\n");
    auto field = load(2);
    ASSERT_EQ(renderList.size(), 32u);
    const float movingZ = 0.75f * 5.0f * depth;  // (rows + 2) x 0.75 depths, whatever the field count
    const float amplitudes[] = {12.0f, -7.0f};
    for (int i = 0; i < 2; ++i) {
        auto* hex = dynamic_cast<object::Hex*>(renderList[30 + i]);
        ASSERT_NE(hex, nullptr);
        EXPECT_EQ(hexList[31 + i], hex);
        EXPECT_EQ(hex->name, "moving111");
        EXPECT_TRUE(hex->isMoving);
        EXPECT_TRUE(hex->isTarget);
        EXPECT_EQ(hex->hexColor, HexColor::Target);
        EXPECT_FLOAT_EQ(hex->amplitude, amplitudes[i]);
        EXPECT_FLOAT_EQ(hex->baseZ, movingZ);
        EXPECT_EQ(hex->staticActor->getGlobalPose().p, glm::vec3(0.0f, 1.0f, movingZ));
    }
    EXPECT_EQ(dynamic_cast<object::Hex*>(renderList[29])->name, "2cloned24");
    EXPECT_TRUE(tile("1cloned01")->isTarget);
    EXPECT_EQ(field->targetCount, 3);
    EXPECT_NEAR(field->rightEdgeX, 2.0f * width, 1e-5f);
}

TEST_F(LevelLoadTest, TargetLinesMarkTheTileOfTheirFirstThreeCharacters) {
    folder.write(2, "3\n3\n1\n\n100\n121 and more\n999\n100\n 12\n");
    auto field = load(2);
    for (object::Hex* hex : hexList) {
        if (hex == hexPrototype) continue;
        const bool target = hex->name == "1cloned00" || hex->name == "1cloned21";
        EXPECT_EQ(hex->isTarget, target) << hex->name;
        EXPECT_EQ(hex->hexColor, target ? HexColor::Target : HexColor::None) << hex->name;
        EXPECT_FALSE(hex->isGoal) << hex->name;  // no goal on level 2
    }
    // Lines naming no tile, a duplicate and a line with a leading blank still count.
    EXPECT_EQ(field->targetCount, 5);
}

TEST_F(LevelLoadTest, GoalTileOnlyOnLevelsOneAndThree) {
    for (int level = 1; level <= 4; ++level) {
        folder.write(level, level == 3 ? "2\n3\n1\n\n121\n" : "2\n3\n1\n\n100\n");
        auto field = load(level);
        object::Hex* goal = tile("1cloned21");
        ASSERT_NE(goal, nullptr);
        const bool goalLevel = level == 1 || level == 3;
        EXPECT_EQ(goal->isGoal, goalLevel) << level;
        // The goal colour wins during the intro, even on a goal that is a target too.
        EXPECT_EQ(goal->hexColor, goalLevel ? HexColor::Goal : HexColor::None) << level;
        EXPECT_EQ(goal->isTarget, level == 3) << level;
        dropField();
    }
    // Too few rows for the goal: level 1 then has none.
    folder.write(1, "2\n2\n1\n\n");
    auto field = load(1);
    for (object::Hex* hex : hexList) EXPECT_FALSE(hex->isGoal) << hex->name;
}

TEST_F(LevelLoadTest, TargetCountIsTheLinesFromTheFifthOn) {
    struct Case {
        const char* text;
        int targets;
        size_t tiles;
    };
    const Case cases[] = {
        {"3\n3\n1\n\n", 0, 9},                    // four lines: no entries
        {"3\n3\n1\nheader", 0, 9},                // a last line without a line end is a line
        {"3\n3\n1", -1, 9},                        // three lines
        {"3\r\n3\r\n1\r\n\r\n101\r\n", 1, 9},    // carriage returns are not part of a line
        {"  3 columns\n+3\n1 field\n\n", 0, 9},     // text after a number is ignored
        {"3\n3\n-2\n\n", 0, 0},                    // a negative field count builds no field
    };
    for (const Case& c : cases) {
        folder.write(5, c.text);
        auto field = load(5);
        EXPECT_EQ(field->targetCount, c.targets) << c.text;
        EXPECT_EQ(renderList.size(), c.tiles) << c.text;
        EXPECT_TRUE(levelFileLines.empty());
        dropField();
    }
    folder.write(5, "3\r\n3\r\n1\r\n\r\n101\r\n");
    auto field = load(5);
    EXPECT_TRUE(tile("1cloned01")->isTarget);
}

// Every failed load ends in std::out_of_range with nothing of its own left behind.
TEST_F(LevelLoadTest, EveryFailureIsOutOfRangeAndLeavesNoTiles) {
    struct Case {
        const char* text;  // null: no file at all
        const char* why;
    };
    const Case cases[] = {
        {nullptr, "missing file"},
        {"", "empty file"},
        {"3\n3\n", "two lines"},
        {"3\n3\n99999999999\n\n", "field count out of range"},
        {"3\n99999999999\n1\n\n", "row count out of range"},
        {"99999999999\n3\n1\n\n", "column count out of range"},
        {"3\n3\n1\n\n101\n\n", "empty entry line after the grid was made"},
        {"3\n3\n2\n\n101\n\n\n", "file ending in an empty line"},
        {"3\n3\n1\n\n10\n", "target line of two characters"},
        {"3\n3\n1\n\n1\n", "target line of one character"},
        {"3\n3\n1\n\nm5\nm99999999999\n", "amplitude out of range after a moving tile"},
    };
    for (const Case& c : cases) {
        if (c.text != nullptr) {
            folder.write(6, c.text);
        } else {
            folder.remove(6);
        }
        EXPECT_THROW(load(6), std::out_of_range) << c.why;
        expectOnlyTheStartTile();
    }
}

// A count or amplitude that is no number fails like any other broken file, with one
// line naming it, instead of ending the game.
TEST_F(LevelLoadTest, NoNumberWhereOneIsNeededFallsBackLikeOtherFailures) {
    const char* cases[] = {
        "three\n3\n1\n\n",          // column count, read in the first field's pass
        "3\nrows\n1\n\n",
        "3\n3\nx\n\n",
        "3\n3\n1\n\n101\nm\n",      // after a whole grid
        "3\n3\n1\n\nm4\nmfast\n",   // after a moving tile
        "3\n3\n0\n\nm4\n",          // fine: no field, one moving tile
    };
    for (size_t i = 0; i < 5; ++i) {
        folder.write(7, cases[i]);
        testing::internal::CaptureStdout();
        EXPECT_THROW(load(7), std::out_of_range) << cases[i];
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_NE(printed.find("./res/Levels/Level7.txt"), std::string::npos) << printed;
        EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "one line: " << printed;
        expectOnlyTheStartTile();
    }
    folder.write(7, cases[5]);
    auto field = load(7);
    EXPECT_EQ(renderList.size(), 1u);
    EXPECT_EQ(field->targetCount, 1);
}

// A level asking for more than the game can build is refused before a single tile is
// placed, with one line naming the file: no endless set-up, no bad_alloc, and no signed
// overflow in the grid positions (the sanitizer build checks that).
TEST_F(LevelLoadTest, HugeLevelsAreRefusedAtOnce) {
    std::string manyMoving = "3\n3\n1\n\n";
    for (int i = 0; i < 1001; ++i) manyMoving += "m5\n";  // 9 + 1001 tiles
    std::string manyTargets = "3\n3\n1\n\n";
    for (int i = 0; i < 10001; ++i) manyTargets += "101\n";
    std::string tenMegabytes = "3\n3\n1\n\n";
    while (tenMegabytes.size() < 10u * 1024 * 1024) tenMegabytes += "m5\n";
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"100\n100\n1\n\n", "10000 tiles in a 16-byte header"},
        {"1000\n1000\n1\n\n", "a million tiles"},
        {"3\n3\n2147483647\n\n", "the largest field count"},
        {"0\n3\n2147483647\n\n", "the largest field count of empty fields"},
        {"1\n2147483647\n1\n\n", "the largest row count"},
        {"2147483647\n1\n1\n\n", "the largest column count"},
        {"0\n2147483647\n2\n\n", "a row count whose offsets overflow an int"},
        {"10\n10\n11\n\n", "just over the bound in whole fields"},
        {manyMoving, "too many moving tiles"},
        {manyTargets, "too many entry lines"},
        {tenMegabytes, "10 MB of moving-tile lines"},
    };
    for (const auto& c : cases) {
        folder.write(6, c.text);
        const glm::vec3 unplaced(-1.0f, -2.0f, -3.0f);  // every tile made sets hexPlacement
        hexPlacement = unplaced;
        testing::internal::CaptureStdout();
        EXPECT_THROW(load(6), std::out_of_range) << c.why;
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(hexPlacement, unplaced) << c.why << ": tiles were made before the refusal";
        EXPECT_EQ(printed.rfind("Level file ./res/Levels/Level6.txt not loaded: ", 0), 0u) << c.why << ": " << printed;
        EXPECT_EQ(printed.find('\n'), printed.size() - 1) << c.why << ": one line: " << printed;
        expectOnlyTheStartTile();
    }
}

// Counts up to the bound, and counts that build nothing however large, still load.
TEST_F(LevelLoadTest, CountsWithinTheBoundStillLoad) {
    const struct {
        const char* text;
        size_t tiles;
    } cases[] = {
        {"0\n0\n1000\n\n", 0},              // the most fields, all empty
        {"3\n-2147483647\n1000\n\n", 0},    // negative rows make no row, whatever the field
        {"-2147483647\n3\n2\n\n", 0},       // and negative columns no column
        {"3\n3\n-2147483647\n\n", 0},       // nor does a negative field count
        {"5\n5\n2\n\nm3\n", 51},
    };
    for (const auto& c : cases) {
        folder.write(5, c.text);
        testing::internal::CaptureStdout();
        auto field = load(5);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.text;
        EXPECT_EQ(renderList.size(), c.tiles) << c.text;
        dropField();
    }
}

// A folder in place of a level file, or one that cannot be read, is a failed load.
TEST_F(LevelLoadTest, UnreadableLevelFileFailsLikeAMissingOne) {
    const std::string path = folder.levelPath(6);
    folder.remove(6);
    std::filesystem::create_directory(path);
    testing::internal::CaptureStdout();
    EXPECT_THROW(load(6), std::out_of_range);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Level file ./res/Levels/Level6.txt cannot be read: Is a directory\n");
    expectOnlyTheStartTile();
    std::filesystem::remove(path);
    std::filesystem::create_symlink("/proc/self/mem", path);  // opens, then fails to read
    testing::internal::CaptureStdout();
    EXPECT_THROW(load(6), std::out_of_range);
    testing::internal::GetCapturedStdout();
    expectOnlyTheStartTile();
}

// The set-up's fallback: a broken level, then level 1 in the same lists and scene.
TEST_F(LevelLoadTest, FallbackAfterAPartialLoadHoldsOnlyLevelOneTiles) {
    folder.write(1, "2\n3\n1\n\n100\n");
    folder.write(8, "4\n4\n3\n\n101\nm9\n1\n");
    EXPECT_THROW(load(8), std::out_of_range);
    auto field = load(1);
    EXPECT_EQ(field->targetCount, 1);
    ASSERT_EQ(renderList.size(), 6u);
    ASSERT_EQ(scene->getNbActors(), 7u);
    for (size_t i = 0; i < renderList.size(); ++i) {
        EXPECT_EQ(renderList[i]->name.substr(0, 7), "1cloned");
        EXPECT_EQ(scene->getActor(static_cast<uint32_t>(i + 1)), renderList[i]->staticActor);
    }
    EXPECT_TRUE(tile("1cloned00")->isTarget);
    EXPECT_FALSE(tile("1cloned01")->isTarget);
}

// ---- Tile shapes seen from above ----------------------------------------------------

constexpr float Touching = 1e-3f;  // world units: closer than this counts as edge to edge

using Outline = std::vector<glm::vec2>;  // convex, counter-clockwise, in (x, z)

float Cross(const glm::vec2& o, const glm::vec2& a, const glm::vec2& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

Outline ConvexOutline(std::vector<glm::vec2> points) {
    std::sort(points.begin(), points.end(),
              [](const glm::vec2& a, const glm::vec2& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    Outline hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0f) --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0f) --k;
        hull[k++] = points[i];
    }
    hull.resize(k > 1 ? k - 1 : k);
    return hull;
}

// The tile model seen from above.
Outline TopView(const Mesh& mesh) {
    std::vector<glm::vec2> points;
    for (const Vertex& v : mesh.vertices) points.emplace_back(v.position.x, v.position.z);
    return ConvexOutline(points);
}

// Every offset a - b at which two shapes share some area: the Minkowski difference.
Outline OverlapOffsets(const Outline& a, const Outline& b) {
    std::vector<glm::vec2> points;
    for (const glm::vec2& p : a)
        for (const glm::vec2& q : b) points.push_back(p - q);
    return ConvexOutline(points);
}

int FieldOf(const object::Hex* hex) {
    if (hex->name.size() < 7 || hex->name.compare(1, 6, "cloned") != 0) return 0;
    return hex->name[0] - '0';
}

struct ZSpan {
    float lo = 0.0f;
    float hi = 0.0f;
};

// The centre z values at which a tile-shaped body at x would share area with hex; false
// when none does (a body beside it at most touches its edge).
bool OverlapSpan(const Outline& offsets, float x, const object::Hex* hex, ZSpan& span) {
    const glm::vec3 p = hex->staticActor->getGlobalPose().p;
    const float dx = x - p.x;
    float lo = std::numeric_limits<float>::max();
    float hi = std::numeric_limits<float>::lowest();
    float minX = lo;
    float maxX = hi;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const glm::vec2& a = offsets[i];
        const glm::vec2& b = offsets[(i + 1) % offsets.size()];
        minX = std::min(minX, a.x);
        maxX = std::max(maxX, a.x);
        if (a.x == b.x || dx < std::min(a.x, b.x) || dx > std::max(a.x, b.x)) continue;
        const float z = a.y + (dx - a.x) * (b.y - a.y) / (b.x - a.x);
        lo = std::min(lo, z);
        hi = std::max(hi, z);
    }
    if (dx <= minX + Touching || dx >= maxX - Touching || lo >= hi) return false;
    span.lo = p.z + lo;
    span.hi = p.z + hi;
    return true;
}

// ---- The shipped level files --------------------------------------------------------

struct LevelFile {
    int columns = 0;
    int rows = 0;
    int fields = 0;
    std::vector<std::string> targets;  // grid target lines
    std::vector<int> amplitudes;       // one per "m" line
    size_t lines = 0;
};

bool ReadShipped(int level, LevelFile& out) {
    std::ifstream file(object::Matchfield::levelFilePath(level));
    if (!file) return false;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);
    out = LevelFile();
    out.lines = lines.size();
    if (lines.size() < 4) return true;
    out.columns = std::stoi(lines[0]);
    out.rows = std::stoi(lines[1]);
    out.fields = std::stoi(lines[2]);
    for (size_t i = 4; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i][0] == 'm') {
            out.amplitudes.push_back(std::stoi(lines[i].substr(1)));
        } else {
            out.targets.push_back(lines[i]);
        }
    }
    return true;
}

TEST_F(LevelLoadTest, ShippedLevelsLoadAndCanBeFinished) {
    std::vector<LevelFile> levels;
    for (int level = 1;; ++level) {
        LevelFile file;
        if (!ReadShipped(level, file)) break;
        levels.push_back(file);
    }
    ASSERT_GE(levels.size(), 5u);
    const Outline tileShape = TopView(hexPrototype->mesh);
    ASSERT_GE(tileShape.size(), 3u);
    const Outline overlapOffsets = OverlapOffsets(tileShape, tileShape);

    for (size_t i = 0; i < levels.size(); ++i) {
        const int level = static_cast<int>(i) + 1;
        const LevelFile& file = levels[i];
        SCOPED_TRACE("Level" + std::to_string(level) + ".txt");
        ASSERT_GE(file.lines, 5u);
        if (i > 0) {
            EXPECT_GT(file.targets.size() + file.amplitudes.size(),
                      levels[i - 1].targets.size() + levels[i - 1].amplitudes.size()) << "more targets each level";
            EXPECT_GE(file.columns, levels[i - 1].columns) << "fields get no narrower";
        }

        // Loads from the working directory as the game does.
        std::unique_ptr<object::Matchfield> field = std::make_unique<object::Matchfield>(level, width, depth);
        EXPECT_EQ(field->targetCount, static_cast<int>(file.lines) - 4);
        ASSERT_EQ(renderList.size(),
                  static_cast<size_t>(file.columns * file.rows * file.fields) + file.amplitudes.size());

        // Every target names a tile of the grid, none twice.
        std::set<std::string> names;
        std::map<std::string, glm::vec3> targets;
        for (const std::string& line : file.targets) {
            ASSERT_GE(line.size(), 3u);
            const std::string name = line.substr(0, 1) + "cloned" + line.substr(1, 2);
            EXPECT_TRUE(names.insert(name).second) << name << " twice";
            object::Hex* hex = tile(name);
            ASSERT_NE(hex, nullptr) << name << " does not exist";
            EXPECT_TRUE(hex->isTarget);
            targets[name] = hex->staticActor->getGlobalPose().p;
        }
        const bool goalLevel = level == 1 || level == 3;
        EXPECT_EQ(tile("1cloned21") != nullptr && tile("1cloned21")->isGoal, goalLevel) << "goal tile";
        EXPECT_EQ(names.count("1cloned21"), 0u) << "the goal is no target";

        // From level 2 on a moving tile bridges field 1 and field 2.
        if (level >= 2) {
            EXPECT_GE(file.fields, 2);
            EXPECT_FALSE(file.amplitudes.empty());
        }

        // The jump every level begins with: the start tile pushed ahead until it meets field 1.
        const glm::vec3 start = hexPrototype->staticActor->getGlobalPose().p;
        float firstGap = std::numeric_limits<float>::max();
        for (object::Hex* hex : hexList) {
            ZSpan span;
            if (FieldOf(hex) != 1 || !OverlapSpan(overlapOffsets, start.x, hex, span)) continue;
            firstGap = std::min(firstGap, span.lo - start.z);
        }
        ASSERT_LT(firstGap, std::numeric_limits<float>::max()) << "no field-1 tile ahead of the start tile";
        ASSERT_GT(firstGap, 0.0f);

        // Each moving tile, along its whole swing, never overlaps a tile of the field (edge to
        // edge is fine); at the back end it comes within that first jump of field 1, at the
        // front end within it of field 2. The tiles at those ends are where one boards and
        // leaves it.
        std::set<std::string> boardFrom;
        std::set<std::string> landOn;
        size_t movingTiles = 0;
        for (object::Hex* moving : hexList) {
            if (!moving->isMoving) continue;
            ++movingTiles;
            SCOPED_TRACE("moving tile of amplitude " + std::to_string(moving->amplitude));
            const float x = moving->staticActor->getGlobalPose().p.x;
            const float back = moving->baseZ - std::fabs(moving->amplitude);
            const float front = moving->baseZ + std::fabs(moving->amplitude);
            float backGap = std::numeric_limits<float>::max();
            float frontGap = std::numeric_limits<float>::max();
            for (object::Hex* hex : hexList) {
                ZSpan span;
                if (hex->isMoving || !OverlapSpan(overlapOffsets, x, hex, span)) continue;
                EXPECT_FALSE(span.lo < front - Touching && span.hi > back + Touching)
                    << "overlaps " << hex->name << " between z " << span.lo << " and " << span.hi;
                if (FieldOf(hex) == 1 && span.hi <= back + Touching) {
                    backGap = std::min(backGap, back - span.hi);
                    if (back - span.hi <= firstGap + Touching) boardFrom.insert(hex->name);
                }
                if (FieldOf(hex) == 2 && span.lo >= front - Touching) {
                    frontGap = std::min(frontGap, span.lo - front);
                    if (span.lo - front <= firstGap + Touching) landOn.insert(hex->name);
                }
            }
            EXPECT_LE(backGap, firstGap + Touching) << "gap to field 1 wider than the first jump";
            if (file.fields >= 2) {
                EXPECT_LE(frontGap, firstGap + Touching) << "gap to field 2 wider than the first jump";
            }
        }
        EXPECT_EQ(movingTiles, file.amplitudes.size());

        // Every target can be reached without a wrong step: the targets form one group of
        // neighbouring tiles, starting with the tile straight ahead of the start tile, where
        // the moving tile joins a target it can be boarded from to the targets it reaches.
        ASSERT_EQ(targets.count("1cloned02"), 1u) << "the first tile ahead is a target";
        std::set<std::string> reached = {"1cloned02"};
        std::vector<std::string> open = {"1cloned02"};
        bool movingReached = false;
        while (!open.empty()) {
            const std::string from = open.back();
            open.pop_back();
            const bool boards = boardFrom.count(from) == 1;
            if (boards) movingReached = true;
            for (const auto& [name, p] : targets) {
                const bool neighbour = glm::length(p - targets[from]) < 1.01f * width;
                if ((neighbour || (boards && landOn.count(name) == 1)) && reached.insert(name).second) {
                    open.push_back(name);
                }
            }
        }
        EXPECT_EQ(reached.size(), targets.size()) << "targets out of reach";
        EXPECT_EQ(movingReached, !file.amplitudes.empty()) << "the moving tile can be boarded";
        dropField();
    }
}

}  // namespace
