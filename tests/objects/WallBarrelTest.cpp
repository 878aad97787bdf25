// The swaying wall, the platform and the barrel pyramid on the real physics layer, stepped
// at a fixed 1/60 s without a window; the standing pyramid also with the game's models.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "GlTestContext.h"
#include "objects/Barrel.h"
#include "objects/ObjectsTestSupport.h"
#include "objects/Platform.h"
#include "objects/Wall.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "render/Model.h"

namespace {

constexpr float StepSeconds = 1.0f / 60.0f;

class WorldTest : public objtest::SceneTest {
protected:
    void TearDown() override {
        objects.clear();  // each object releases its own actor before the scene goes
        SceneTest::TearDown();
    }

    std::vector<std::unique_ptr<object::GameObject>> objects;
};

using WallTest = WorldTest;

TEST_F(WallTest, SwingsBetweenMinus10And40OnSummedFrameTime) {
    auto* wall = new object::Wall("wall1", nullptr, glm::mat4(1.0f));
    objects.emplace_back(wall);
    wall->setModel(LoadedModel(Mesh(), objtest::CookBox(glm::vec3(-1.0f, -4.0f, -10.0f), glm::vec3(1.0f, 4.0f, 10.0f)),
                               glm::vec3(0.0f), glm::vec3(0.0f)));
    wall->material = physics->createMaterial(1.0f, 1.0f, 1.0f);
    wall->createActor(physics, ActorKind::StaticMesh);
    ASSERT_NE(wall->staticActor, nullptr);
    wall->staticActor->setGlobalPose(phys::Pose(glm::vec3(15.0f, 4.0f, 0.0f)), true);
    wall->baseX = 15.0f;
    world->addActor(*wall->staticActor);

    // A frame of 0 ms still sets the pose: the rotation goes back to the identity.
    const glm::quat turned = glm::angleAxis(0.5f, glm::vec3(0.0f, 1.0f, 0.0f));
    wall->staticActor->setGlobalPose(phys::Pose(glm::vec3(15.0f, 4.0f, 0.0f), turned));
    wall->update(0.0f);
    EXPECT_NEAR(wall->staticActor->getGlobalPose().q.w, 1.0f, 1e-6f);
    EXPECT_NEAR(wall->getPosition().x, 15.0f, 1e-5f);

    // 1570.796 ms as 100 frames, then up to 4712.389 ms as 200 more.
    for (int i = 0; i < 100; ++i) wall->update(15.70796f);
    phys::Pose pose = wall->staticActor->getGlobalPose();
    EXPECT_NEAR(pose.p.x, 40.0f, 1e-3f);
    EXPECT_FLOAT_EQ(pose.p.y, 4.0f);
    EXPECT_FLOAT_EQ(pose.p.z, 0.0f);
    EXPECT_NEAR(wall->getPosition().x, 40.0f, 1e-3f);

    for (int i = 0; i < 200; ++i) wall->update(15.707965f);
    pose = wall->staticActor->getGlobalPose();
    EXPECT_NEAR(wall->time, 4712.389f, 0.01f);
    EXPECT_NEAR(pose.p.x, -10.0f, 1e-3f);
    EXPECT_NEAR(wall->getPosition().x, -10.0f, 1e-3f);
}

TEST(PyramidPositionTest, FiveRowsEachHigherAndHalfABarrelFurther) {
    const glm::vec3 b(-30.0f, 2.5f, 3.0f);
    const float w = 2.0f;
    const float h = 3.0f;
    // (row, offset along -z in barrel widths) for b1 .. b15.
    const float expected[15][2] = {{0, 0},   {0, 1},   {0, 2},   {0, 3}, {0, 4},
                                   {1, 0.5}, {1, 1.5}, {1, 2.5}, {1, 3.5},
                                   {2, 1},   {2, 2},   {2, 3},
                                   {3, 1.5}, {3, 2.5},
                                   {4, 2}};
    for (int i = 0; i < 15; ++i) {
        const glm::vec3 p = PyramidPosition(i, b, w, h);
        EXPECT_FLOAT_EQ(p.x, b.x) << "b" << i + 1;
        EXPECT_FLOAT_EQ(p.y, b.y + expected[i][0] * h) << "b" << i + 1;
        EXPECT_FLOAT_EQ(p.z, b.z - expected[i][1] * w) << "b" << i + 1;
    }
}

// Builds the platform and the pyramid as the level set-up does and simulates 10 s.
// Returns the largest distance a barrel moved from where it was placed.
float PyramidDrift(phys::Scene* world, std::vector<std::unique_ptr<object::GameObject>>& objects,
                   object::Platform* platform, const std::vector<object::Barrel*>& barrels, float tileDepth) {
    platform->initPhysics(physics, phys::Pose(glm::vec3(tileDepth - 40.0f, 0.0f, 5.0f)));
    EXPECT_NE(platform->staticActor, nullptr);
    if (platform->staticActor == nullptr) return 1e9f;
    world->addActor(*platform->staticActor);

    const glm::vec3 first = platform->staticActor->getGlobalPose().p + glm::vec3(2.0f, 2.5f, -2.0f);
    const float w = barrels[0]->boundsMax.x - barrels[0]->boundsMin.x;
    const float h = barrels[0]->boundsMax.y - barrels[0]->boundsMin.y;
    std::vector<glm::vec3> placed;
    for (size_t i = 0; i < barrels.size(); ++i) {
        placed.push_back(PyramidPosition(static_cast<int>(i), first, w, h));
        barrels[i]->initPhysics(physics, phys::Pose(placed.back()));
        EXPECT_NE(barrels[i]->dynamicActor, nullptr);
        if (barrels[i]->dynamicActor == nullptr) return 1e9f;
        world->addActor(*barrels[i]->dynamicActor);
    }
    for (int step = 0; step < 600; ++step) {
        world->simulate(StepSeconds);
        world->fetchResults(true);
    }
    float drift = 0.0f;
    for (size_t i = 0; i < barrels.size(); ++i) {
        barrels[i]->update(16.0f);
        const glm::vec3 now = barrels[i]->getPosition();
        EXPECT_EQ(now, barrels[i]->dynamicActor->getGlobalPose().p);
        drift = std::max(drift, glm::length(now - placed[i]));
    }
    platform->update(16.0f);
    EXPECT_EQ(platform->getPosition(), platform->staticActor->getGlobalPose().p);
    return drift;
}

using PyramidTest = WorldTest;

TEST_F(PyramidTest, BoxBarrelsStayStackedForTenSeconds) {
    auto* platform = new object::Platform("right", nullptr, glm::mat4(1.0f));
    objects.emplace_back(platform);
    // A block whose top is where the first barrel's bottom stands: y 2.5 - 1.5.
    platform->setModel(LoadedModel(Mesh(),
                                   objtest::CookBox(glm::vec3(-10.0f, -1.0f, -20.0f), glm::vec3(10.0f, 1.0f, 20.0f)),
                                   glm::vec3(0.0f), glm::vec3(0.0f)));
    std::vector<object::Barrel*> barrels;
    for (int i = 0; i < 15; ++i) {
        auto* barrel = new object::Barrel("b" + std::to_string(i + 1), nullptr, glm::mat4(1.0f));
        objects.emplace_back(barrel);
        barrel->setBounds(-1.0f, -1.5f, -1.0f, 1.0f, 1.5f, 1.0f);
        barrels.push_back(barrel);
    }
    EXPECT_LT(PyramidDrift(world, objects, platform, barrels, 8.0f), 1.0f);
}

TEST_F(PyramidTest, GameModelsStayStackedForTenSeconds) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(testsupport::TrackedFilesPresent(
        {"./res/Models/testQuader.obj", "./res/Models/Fass.obj", "./res/Models/spielfeld.obj"}));
    LoadedModel tile = Model("./res/Models/spielfeld.obj").load(cooking, physics);
    auto* platform = new object::Platform("right", nullptr, glm::mat4(1.0f));
    objects.emplace_back(platform);
    platform->setModel(Model("./res/Models/testQuader.obj").load(cooking, physics));
    Model barrelModel("./res/Models/Fass.obj");
    std::vector<object::Barrel*> barrels;
    for (int i = 0; i < 15; ++i) {
        auto* barrel = new object::Barrel("b" + std::to_string(i + 1), nullptr, glm::mat4(1.0f));
        objects.emplace_back(barrel);
        barrel->setModel(barrelModel.load(cooking, physics));
        barrels.push_back(barrel);
    }
    tile.release();
    EXPECT_LT(PyramidDrift(world, objects, platform, barrels, tile.boundsMax.z - tile.boundsMin.z), 1.0f);
}

}  // namespace
