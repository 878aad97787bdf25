// Level set-up: list and scene orders, placements, the level-1 fallback, its failure, and
// memory that stays flat over many set-ups.
#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "objects/Barrel.h"
#include "objects/Character.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "objects/Matchfield.h"
#include "objects/Platform.h"
#include "objects/Wall.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Scene.h"
#include "ScratchRes.h"
#include "TestSupport.h"

// Brings up the real start-up once per test process (window, GL, physics, shaders, text);
// false without a display. Shared by the game-flow tests of this folder.
bool EnsureGameSystems() {
    static int state = 0;  // 0 untried, 1 ready, -1 no display
    if (state == 0) {
        if (std::getenv("DISPLAY") == nullptr) {
            state = -1;
        } else {
            setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
            if (mainWindow == nullptr) InitSystems();
            state = 1;
        }
    }
    return state == 1;
}

// A level to work on; built anew when there is none or other tests replaced its globals.
bool EnsureGameWorld() {
    if (!EnsureGameSystems()) return false;
    if (scene == nullptr || playerCharacter == nullptr || scoreTable == nullptr) SetupLevel(currentLevel);
    return true;
}

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// The tile names of a level file in the order the field adds them.
std::vector<std::string> ExpectedTiles(int level) {
    const std::vector<std::string> lines = ReadLines(object::Matchfield::levelFilePath(level));
    if (lines.size() < 3) return {};
    const int columns = std::stoi(lines[0]);
    const int rows = std::stoi(lines[1]);
    const int fields = std::stoi(lines[2]);
    std::vector<std::string> names;
    for (int field = 1; field <= fields; ++field)
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column)
                names.push_back(std::to_string(field) + "cloned" + std::to_string(row) + std::to_string(column));
    for (size_t i = 4; i < lines.size(); ++i)
        if (!lines[i].empty() && lines[i][0] == 'm') names.push_back("moving111");
    return names;
}

std::vector<std::string> RenderListNames() {
    std::vector<std::string> names;
    for (object::GameObject* object : renderList) names.push_back(object->name);
    return names;
}

std::vector<std::string> HexListNames() {
    std::vector<std::string> names;
    for (object::Hex* tile : hexList) names.push_back(tile->name);
    return names;
}

// Actor names in the order they entered the scene; the controller's own actor, which the
// controller manager may list, is left out.
std::vector<std::string> SceneActorNames() {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < scene->getNbActors(); ++i) {
        const char* name = scene->getActor(i)->getName();
        const std::string text = name ? name : "";
        if (text != "character") names.push_back(text);
    }
    return names;
}

std::vector<std::string> ExpectedRenderList(int level, bool withWall) {
    std::vector<std::string> names = ExpectedTiles(level);
    if (withWall) names.push_back("wall1");
    for (const char* name : {"right", "hex", "character"}) names.push_back(name);
    for (int i = 1; i <= BarrelCount; ++i) names.push_back("b" + std::to_string(i));
    return names;
}

std::vector<std::string> ExpectedActors(int level, bool withWall) {
    std::vector<std::string> names = {"dynamic", "hex"};
    for (const std::string& tile : ExpectedTiles(level)) names.push_back(tile);
    if (withWall) names.push_back("wall1");
    names.push_back("right");
    for (int i = 1; i <= BarrelCount; ++i) names.push_back("b" + std::to_string(i));
    names.push_back("deathZone");
    return names;
}

// Resident memory once the allocator has handed its free pages back, so that only what
// is still in use counts.
long TrimmedResidentKb() {
    malloc_trim(0);
    return testsupport::ResidentKb();
}

void ExpectNear(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

// Runs in a scratch copy of res/: the level files these tests write never land in the
// build's own.
class SetupLevelTest : public ::testing::Test {
protected:
    testsupport::ScratchRes res;
    std::unique_ptr<testsupport::ScopedChdir> into;

    void SetUp() override {
        if (!EnsureGameSystems()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(testsupport::TrackedFilesPresent({object::Matchfield::levelFilePath(1), object::Matchfield::levelFilePath(2)}));
        ASSERT_TRUE(res.ok());
        into = std::make_unique<testsupport::ScopedChdir>(res.path());
        ASSERT_TRUE(into->ok());
    }
    void TearDown() override { into.reset(); }
};

TEST_F(SetupLevelTest, Level1BuildsListsAndSceneInOrder) {
    currentLevel = 1;
    SetupLevel(1);
    EXPECT_EQ(currentLevel, 1);
    EXPECT_EQ(wall, nullptr);
    EXPECT_EQ(RenderListNames(), ExpectedRenderList(1, false));
    std::vector<std::string> hexes = {"hex"};
    for (const std::string& tile : ExpectedTiles(1)) hexes.push_back(tile);
    EXPECT_EQ(HexListNames(), hexes);
    EXPECT_EQ(SceneActorNames(), ExpectedActors(1, false));
    EXPECT_EQ(playerCharacter->targetCount, static_cast<int>(ReadLines(object::Matchfield::levelFilePath(1)).size()) - 4);

    ASSERT_EQ(hexList.front(), hexPrototype);
    ExpectNear(hexPrototype->staticActor->getGlobalPose().p, glm::vec3(0.0f, 1.0f, -34.0f));
    EXPECT_EQ(hexPrototype->hexColor, HexColor::Visited);
    EXPECT_TRUE(hexPrototype->isTarget);
    EXPECT_EQ(levelClock, 0.0f);
    EXPECT_TRUE(introCamera);
}

TEST_F(SetupLevelTest, Level2PutsTheWallBetweenTilesAndPlatform) {
    currentLevel = 2;
    SetupLevel(2);
    EXPECT_EQ(currentLevel, 2);
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(RenderListNames(), ExpectedRenderList(2, true));
    EXPECT_EQ(SceneActorNames(), ExpectedActors(2, true));
    ExpectNear(wall->staticActor->getGlobalPose().p, glm::vec3(15.0f, 4.0f, 0.0f));
    EXPECT_EQ(wall->baseX, 15.0f);
    EXPECT_EQ(wall->amplitude, 25.0f);
    currentLevel = 1;
}

TEST_F(SetupLevelTest, PlatformAndBarrelPyramid) {
    currentLevel = 1;
    SetupLevel(1);
    const float tileDepth = hexPrototype->boundsMax.z - hexPrototype->boundsMin.z;
    const glm::vec3 platformAt = platform->staticActor->getGlobalPose().p;
    ExpectNear(platformAt, glm::vec3(tileDepth - 40.0f, 0.0f, 5.0f));

    const glm::vec3 b1 = barrels[0]->dynamicActor->getGlobalPose().p;
    ExpectNear(b1, platformAt + glm::vec3(2.0f, 2.5f, -2.0f));
    const float w = barrels[0]->boundsMax.x - barrels[0]->boundsMin.x;
    const float h = barrels[0]->boundsMax.y - barrels[0]->boundsMin.y;
    // Row and place along -z (in barrel widths) of b1 to b15.
    const float pyramid[BarrelCount][2] = {{0, 0},   {0, 1},   {0, 2},   {0, 3}, {0, 4},
                                           {1, 0.5}, {1, 1.5}, {1, 2.5}, {1, 3.5},
                                           {2, 1},   {2, 2},   {2, 3},
                                           {3, 1.5}, {3, 2.5},
                                           {4, 2}};
    for (int i = 0; i < BarrelCount; ++i) {
        SCOPED_TRACE(barrels[i]->name);
        EXPECT_EQ(barrels[i]->name, "b" + std::to_string(i + 1));
        ExpectNear(barrels[i]->dynamicActor->getGlobalPose().p,
                   b1 + glm::vec3(0.0f, pyramid[i][0] * h, -pyramid[i][1] * w));
    }
}

TEST_F(SetupLevelTest, DeathZoneIsAnUpFacingPlaneBelowTheField) {
    SetupLevel(currentLevel);
    ASSERT_NE(deathZone, nullptr);
    EXPECT_STREQ(deathZone->getName(), "deathZone");
    const phys::Pose pose = deathZone->getGlobalPose();
    ExpectNear(pose.p, glm::vec3(0.0f, -55.0f, 0.0f));
    // The plane's normal (+x of the actor) points up.
    ExpectNear(pose.q * glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
}

// A level file that is missing, fails part way (valid counts, one good target line, then
// an empty line: after the whole field was made) or asks for too much: level 1 instead.
TEST_F(SetupLevelTest, BrokenLevelFallsBackToLevel1) {
    const struct {
        const char* text;     // null: no file
        const char* printed;  // part of what the set-up prints
    } cases[] = {
        {nullptr, ""},
        {"2\n2\n1\nx\n100\n\n", ""},
        {"100\n100\n1\n\n", "Level file ./res/Levels/Level97.txt not loaded"},
        {"3\n3\n2147483647\n\n", "Level file ./res/Levels/Level97.txt not loaded"},
        {"1\n2147483647\n2\n\n", "Level file ./res/Levels/Level97.txt not loaded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "no file");
        c.text ? res.write(97, c.text) : res.remove(97);
        currentLevel = 97;
        ::testing::internal::CaptureStdout();
        SetupLevel(97);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_NE(printed.find(c.printed), std::string::npos) << printed;
        EXPECT_EQ(currentLevel, 1);
        EXPECT_EQ(wall, nullptr);
        EXPECT_EQ(RenderListNames(), ExpectedRenderList(1, false));
        EXPECT_EQ(SceneActorNames(), ExpectedActors(1, false));
    }
    // The wall read ahead for level 97 waits, unused, for the next set-up to take it back.
    SetupLevel(1);
}

TEST_F(SetupLevelTest, NewLevelDoesNotInheritLetsGo) {
    letsGo = true;
    SetupLevel(currentLevel);
    EXPECT_FALSE(letsGo);
}

TEST_F(SetupLevelTest, MemoryStaysFlatOverManySetUps) {
    if (testsupport::MemoryFiguresAreSkewed()) GTEST_SKIP() << "resident size means nothing under a sanitizer";
    // The first set-ups still fill the GL driver's caches.
    for (int i = 0; i < 20; ++i) {
        currentLevel = 1 + i % 2;
        SetupLevel(currentLevel);
    }
    const long rssBefore = TrimmedResidentKb();
    const size_t heapBefore = mallinfo2().uordblks;
    constexpr int SetUps = 100;
    for (int i = 0; i < SetUps; ++i) {
        currentLevel = 1 + i % 2;  // level 2 adds the wall
        SetupLevel(currentLevel);
    }
    const long rssGrowth = TrimmedResidentKb() - rssBefore;
    const long heapGrowth = (static_cast<long>(mallinfo2().uordblks) - static_cast<long>(heapBefore)) / 1024;
    currentLevel = 1;
    std::printf("Over %d set-ups: RSS %+ld kB, heap in use %+ld kB\n", SetUps, rssGrowth, heapGrowth);
    RecordProperty("rss_growth_kb", std::to_string(rssGrowth));
    EXPECT_LT(rssGrowth, 8 * 1024);
    // RSS moves with fragmentation; the heap in use shows what is really kept.
    EXPECT_LT(heapGrowth, 1024);
}

// The fallback's own failure, for a level-1 file that is missing, broken, too large or a
// folder: a clear line naming the file, then FatalError's exit. Runs in the process's
// scratch folder, which the death test's child process, running this body again, shares.
TEST(LevelLoadFallbackDeathTest, Level1ThatCannotBeLoadedEndsThroughFatalError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* const folderInstead = "<folder>";  // a folder in the file's place
    const struct {
        const char* level1;  // null: no file
        const char* reason;
    } cases[] = {
        {nullptr, "is missing"},
        {"x\n2\n1\n\n100\n", "is not a valid level file"},
        {"3\n3\n2147483647\n\n", "is not a valid level file"},
        {folderInstead, "cannot be read"},
    };
    const std::string folder = testsupport::ProcessScratchDir() + "/level1";
    const std::string level1 = folder + "/" + object::Matchfield::levelFilePath(1);
    for (const auto& c : cases) {
        ASSERT_EQ(std::system(("rm -rf " + folder + " && mkdir -p " + folder + "/res/Levels").c_str()), 0);
        if (c.level1 == folderInstead) {
            ASSERT_EQ(mkdir(level1.c_str(), 0755), 0);
        } else if (c.level1 != nullptr) {
            std::ofstream(level1) << c.level1;
        }
        EXPECT_EXIT(
            {
                dup2(2, 1);  // FatalError writes to standard output
                std::freopen("/dev/null", "r", stdin);
                if (chdir(folder.c_str()) != 0) std::exit(3);
                LevelLoadFallback(1.0f, 1.0f);
            },
            ::testing::ExitedWithCode(1), std::string("Level file \\./res/Levels/Level1\\.txt ") + c.reason);
    }
}

}  // namespace
