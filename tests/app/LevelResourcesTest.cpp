// What a level set-up makes and frees: over a hundred set-ups of the shipped levels no GL
// object and no cooked mesh is left behind and none is freed twice, every level draws with
// live objects, and the models and the shadow map's target are made once and shared.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <fstream>
#include <map>
#include <string>

#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/Globals.h"
#include "objects/Barrel.h"
#include "objects/Hex.h"
#include "objects/Matchfield.h"
#include "objects/ParticleObject.h"
#include "physics/Physics.h"
#include "render/ModelCache.h"
#include "render/ShadowMap.h"
#include "render/SkyBox.h"
#include "TestSupport.h"

namespace {

// Far above any name a few hundred levels' worth of objects get from the driver.
constexpr GLuint HighestName = 20000;
constexpr int SetUps = 100;

// Live GL objects of each kind, and live cooked meshes.
struct Census {
    int textures = 0;
    int buffers = 0;
    int vertexArrays = 0;
    int framebuffers = 0;
    uint32_t cookedMeshes = 0;

    bool operator==(const Census& other) const {
        return textures == other.textures && buffers == other.buffers && vertexArrays == other.vertexArrays &&
               framebuffers == other.framebuffers && cookedMeshes == other.cookedMeshes;
    }
};

std::ostream& operator<<(std::ostream& out, const Census& c) {
    return out << "{textures " << c.textures << ", buffers " << c.buffers << ", vertex arrays " << c.vertexArrays
               << ", framebuffers " << c.framebuffers << ", cooked meshes " << c.cookedMeshes << "}";
}

Census TakeCensus() {
    Census census;
    for (GLuint name = 1; name <= HighestName; ++name) {
        census.textures += glIsTexture(name) ? 1 : 0;
        census.buffers += glIsBuffer(name) ? 1 : 0;
        census.vertexArrays += glIsVertexArray(name) ? 1 : 0;
        census.framebuffers += glIsFramebuffer(name) ? 1 : 0;
    }
    census.cookedMeshes = physics->getNbTriangleMeshes();
    return census;
}

int ShippedLevels() {
    int count = 0;
    while (std::ifstream(object::Matchfield::levelFilePath(count + 1)).good()) ++count;
    return count;
}

// Returns what the set-up printed; the physics layer's error reports go there too.
std::string QuietSetup(int level) {
    currentLevel = level;
    testing::internal::CaptureStdout();
    SetupLevel(level);
    return testing::internal::GetCapturedStdout();
}

// Every object of the level draws with names that are alive: none was freed under it.
void ExpectLevelDrawsWithLiveObjects(int level) {
    SCOPED_TRACE("level " + std::to_string(level));
    for (object::GameObject* object : renderList) {
        ASSERT_TRUE(glIsVertexArray(object->mesh.vao)) << object->name;
        ASSERT_TRUE(glIsBuffer(object->mesh.vbo)) << object->name;
        for (const MeshTexture& texture : object->mesh.textures) ASSERT_TRUE(glIsTexture(texture.id)) << object->name;
    }
    for (object::Hex* tile : hexList) {
        ASSERT_NE(tile->burst, nullptr);
        ASSERT_TRUE(glIsVertexArray(tile->burst->vao)) << tile->name;
        ASSERT_TRUE(glIsBuffer(tile->burst->instanceVbo)) << tile->name;
        ASSERT_TRUE(glIsBuffer(tile->burst->mesh.vbo)) << tile->name;
    }
    ASSERT_TRUE(glIsVertexArray(currentSkyBox->vao));
    ASSERT_TRUE(glIsTexture(currentSkyBox->cubemapTexture));
    ASSERT_TRUE(glIsFramebuffer(currentShadowMap->depthMapFBO));
    ASSERT_TRUE(glIsTexture(currentShadowMap->depthMap));
}

class LevelResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameSystems()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(testsupport::TrackedFilesPresent({object::Matchfield::levelFilePath(1), object::Matchfield::levelFilePath(2)}));
    }
    void TearDown() override { currentLevel = 1; }
};

}  // namespace

TEST_F(LevelResourcesTest, HundredSetUpsLeaveNothingBehindAndFreeNothingTwice) {
    const int levels = ShippedLevels();
    // One pass over every level makes what is shared: the models, the shadow map's target.
    for (int level = 1; level <= levels; ++level) QuietSetup(level);
    std::map<int, Census> expected;
    for (int level = 1; level <= levels; ++level) {
        QuietSetup(level);
        expected[level] = TakeCensus();
    }
    const size_t models = ModelCache::size();
    const GLuint depthMap = currentShadowMap->depthMap;
    const GLuint cube = currentSkyBox->cubemapTexture;

    std::string printed;
    for (int i = 0; i < SetUps; ++i) {
        const int level = 1 + i % levels;
        printed += QuietSetup(level);
        ExpectLevelDrawsWithLiveObjects(level);
        if (HasFatalFailure()) break;
        // The same level holds the same number of everything each time it is built.
        const Census now = TakeCensus();
        EXPECT_EQ(now, expected[level]) << "set-up " << i << ", level " << level;
        if (!(now == expected[level])) break;
        EXPECT_EQ(currentShadowMap->depthMap, depthMap) << "one depth map for every level";
    }
    // A cooked mesh released twice is reported by the physics layer.
    EXPECT_EQ(printed.find("PHYSX-ERROR"), std::string::npos) << printed.substr(printed.find("PHYSX-ERROR"), 300);
    EXPECT_EQ(ModelCache::size(), models) << "each model file is loaded once per process";
    EXPECT_EQ(models, 6u);
    EXPECT_NE(cube, 0u);
}

// The level before is gone from the one after: nothing of the new level draws with or
// stands on what the old level made for itself.
TEST_F(LevelResourcesTest, ANewLevelHoldsNothingOfTheLevelBefore) {
    QuietSetup(2);
    std::vector<GLuint> oldBurstArrays;
    for (object::Hex* tile : hexList) oldBurstArrays.push_back(tile->burst->vao);
    const GLuint oldSkyArray = currentSkyBox->vao;
    ASSERT_NE(wall, nullptr);

    QuietSetup(1);
    EXPECT_EQ(wall, nullptr);
    // Names can come back for the new level's own objects, but never shared by two of them.
    std::map<GLuint, std::string> burstArrays;
    for (object::Hex* tile : hexList) {
        EXPECT_TRUE(burstArrays.emplace(tile->burst->vao, tile->name).second)
            << tile->name << " shares a vertex array with " << burstArrays[tile->burst->vao];
    }
    for (GLuint name : oldBurstArrays) {
        if (burstArrays.count(name) == 0 && name != currentSkyBox->vao) {
            EXPECT_FALSE(glIsVertexArray(name)) << name;
        }
    }
    if (burstArrays.count(oldSkyArray) == 0 && currentSkyBox->vao != oldSkyArray) {
        EXPECT_FALSE(glIsVertexArray(oldSkyArray));
    }
    // The barrels share one model, and with it one cooked mesh and the same bounds.
    for (object::Barrel* barrel : barrels) {
        ASSERT_NE(barrel, nullptr);
        EXPECT_EQ(barrel->mesh.vao, barrels[0]->mesh.vao);
        EXPECT_EQ(barrel->triangleMesh, barrels[0]->triangleMesh);
        EXPECT_EQ(barrel->boundsMax, barrels[0]->boundsMax);
    }
}

// At exit the level and everything levels share are freed, and a later set-up (a test
// that goes on) makes them anew.
TEST_F(LevelResourcesTest, ReleaseWorldFreesTheLevelAndWhatLevelsShare) {
    QuietSetup(2);
    const GLuint fbo = currentShadowMap->depthMapFBO;
    const GLuint depthMap = currentShadowMap->depthMap;
    const Mesh tile = hexPrototype->mesh;
    ReleaseWorld();
    const Census released = TakeCensus();
    EXPECT_EQ(released.cookedMeshes, 0u);
    EXPECT_EQ(ModelCache::size(), 0u);
    EXPECT_FALSE(glIsFramebuffer(fbo));
    EXPECT_FALSE(glIsTexture(depthMap));
    EXPECT_FALSE(glIsVertexArray(tile.vao));
    EXPECT_FALSE(glIsBuffer(tile.vbo));
    EXPECT_EQ(scene, nullptr);
    EXPECT_EQ(playerCharacter, nullptr);
    EXPECT_TRUE(renderList.empty());

    QuietSetup(1);
    ExpectLevelDrawsWithLiveObjects(1);
    ReleaseWorld();
    EXPECT_EQ(TakeCensus(), released) << "a second world goes as completely as the first";
    QuietSetup(1);
}
