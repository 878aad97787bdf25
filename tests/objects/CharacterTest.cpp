// The player character on the real physics layer: a small world of cooked hex tiles,
// stepped at 1/60 s, then the character's update with the frame's 16.67 ms, driven
// only through its key flags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "app/ContactReportCallback.h"
#include "app/Globals.h"
#include "objects/Character.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "physics/ControllerManager.h"
#include "physics/Geometry.h"
#include "physics/Material.h"
#include "physics/Physics.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Scene.h"
#include "physics/Shape.h"
#include "physics/TriangleMesh.h"
#include "objects/ObjectsTestSupport.h"

namespace {

constexpr float FrameMs = 16.67f;
constexpr float StepSeconds = 1.0f / 60.0f;
constexpr float HalfPi = 1.5707964f;

// The tile: a pointy-top hexagonal prism of the size of res/Models/spielfeld.obj, 1 thick,
// so a tile at y 1 has its top at 1.5. Neighbours in a row stand one width apart along x.
constexpr float HexRadius = 4.0f;
constexpr float HexHalfThickness = 0.5f;
const float HexWidth = std::sqrt(3.0f) * HexRadius;
constexpr float TileTop = 1.0f + HexHalfThickness;

// The bounds of res/Models/Character.obj: x is its height, y its width, z its depth.
const glm::vec3 ModelMin(-2.0f, -1.0f, -0.75f);
const glm::vec3 ModelMax(2.0f, 1.0f, 0.75f);
const float ControllerHalfHeight = 4.0f / 2.1f;

phys::TriangleMesh* cookHexPrism() {
    std::vector<glm::vec3> points;
    for (float y : {HexHalfThickness, -HexHalfThickness})
        for (int k = 0; k < 6; ++k) {
            const float angle = glm::radians(90.0f + 60.0f * k);
            points.emplace_back(HexRadius * std::cos(angle), y, HexRadius * std::sin(angle));
        }
    std::vector<uint32_t> indices;
    auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
        // Wind every triangle so that its normal points away from the prism's centre.
        const glm::vec3 normal = glm::cross(points[b] - points[a], points[c] - points[a]);
        const glm::vec3 outward = (points[a] + points[b] + points[c]) / 3.0f;
        if (glm::dot(normal, outward) < 0.0f) std::swap(b, c);
        indices.insert(indices.end(), {a, b, c});
    };
    for (uint32_t k = 1; k < 5; ++k) {
        add(0, k, k + 1);
        add(6, 6 + k, 6 + k + 1);
    }
    for (uint32_t k = 0; k < 6; ++k) {
        const uint32_t next = (k + 1) % 6;
        add(k, next, 6 + k);
        add(next, 6 + next, 6 + k);
    }
    return objtest::Cook(points, indices);
}

const char* touchedName(const object::Character& character) {
    const phys::RigidActor* touched = character.controllerState.touchedActor;
    return touched && touched->getName() ? touched->getName() : "";
}

class CharacterTest : public ::testing::Test {
protected:
    ContactReportCallback callback;
    phys::TriangleMesh* hexMesh = nullptr;
    std::vector<object::Hex*> tiles;
    object::Character* character = nullptr;

    void SetUp() override {
        ASSERT_TRUE(objtest::EnsurePhysics());
        phys::SceneDesc desc;
        desc.gravity = glm::vec3(0.0f, -9.8f, 0.0f);
        desc.workerThreads = 1;
        desc.filterShader = contactReportFilterShader;
        desc.simulationEventCallback = &callback;
        scene = physics->createScene(desc);
        ASSERT_NE(scene, nullptr);
        controllerManager = phys::createControllerManager(scene);
        hexMesh = cookHexPrism();
        ASSERT_NE(hexMesh, nullptr);

        // What earlier tests left in the process-wide state, a new level would carry over too;
        // each test starts from the program's start values instead.
        jumpTimer = 3.0f;
        moveDisplacement = glm::vec3(0.0f);
        character = makeCharacter(ModelMin, ModelMax);
        ASSERT_NE(character->controller, nullptr);
    }

    void TearDown() override {
        // As a level change does: the objects release their own actors, then the scene goes
        // with what is left (bare boxes, the death zone).
        for (object::Hex* tile : tiles) delete tile;
        delete character;
        if (scene) scene->release();
        if (hexMesh) hexMesh->release();
        scene = nullptr;
        controllerManager = nullptr;
        playerCharacter = nullptr;
    }

    object::Character* makeCharacter(const glm::vec3& min, const glm::vec3& max) {
        auto* made = new object::Character("character", nullptr, glm::mat4(1.0f));
        made->setBounds(min.x, min.y, min.z, max.x, max.y, max.z);
        playerCharacter = made;
        InitCharacterPhysics();
        scene->addActor(*made->dynamicActor);
        return made;
    }

    object::Hex* addTile(const std::string& name, const glm::vec3& position, bool isTarget = false,
                         int32_t color = HexColor::None) {
        auto* tile = new object::Hex(name, nullptr, glm::mat4(1.0f), Mesh());
        tile->sharesPrototypeMesh = true;  // the test owns the cooked prism
        tile->triangleMesh = hexMesh;
        tile->createActor(physics, ActorKind::StaticMesh);
        tile->staticActor->setGlobalPose(phys::Pose(position), true);
        tile->baseZ = position.z;
        tile->isTarget = isTarget;
        tile->hexColor = color;
        scene->addActor(*tile->staticActor);
        tiles.push_back(tile);
        return tile;
    }

    // The start tile as the level set-up leaves it, then a row of tiles towards +x.
    object::Hex* addStartTile() { return addTile("hex", glm::vec3(0.0f, 1.0f, -34.0f), true, HexColor::Visited); }
    object::Hex* addRowTile(const std::string& name, int column, bool isTarget = false,
                            int32_t color = HexColor::None) {
        return addTile(name, glm::vec3(column * HexWidth, 1.0f, -34.0f), isTarget, color);
    }

    // The actor keeps the shape and the shape its material; the scene's release frees them.
    static void attachOwnShape(phys::RigidStatic* actor, const phys::Geometry& geometry, float materialValue) {
        phys::Material* surface = physics->createMaterial(materialValue, materialValue, materialValue);
        phys::Shape* made = physics->createShape(geometry, surface);
        actor->attachShape(made);
        made->release();
        surface->release();
    }

    phys::RigidStatic* addDeathZone() {
        const float half = 0.70710677f;
        phys::RigidStatic* plane =
            physics->createRigidStatic(phys::Pose(glm::vec3(0.0f, -55.0f, 0.0f), glm::quat(half, 0.0f, 0.0f, half)));
        attachOwnShape(plane, phys::Geometry::plane(), 0.5f);
        plane->setName("deathZone");
        scene->addActor(*plane);
        return plane;
    }

    phys::RigidStatic* addBox(const char* name, const glm::vec3& position, const glm::vec3& halfExtents) {
        phys::RigidStatic* box = physics->createRigidStatic(phys::Pose(position));
        attachOwnShape(box, phys::Geometry::box(halfExtents), 1.0f);
        box->setName(name);
        scene->addActor(*box);
        return box;
    }

    void frame() {
        scene->simulate(StepSeconds);
        scene->fetchResults(true);
        character->update(FrameMs, tiles);
    }
    void frames(int count) {
        for (int i = 0; i < count; ++i) frame();
    }
    // Steps until done() holds; false when it did not within maxFrames.
    bool frameUntil(const std::function<bool()>& done, int maxFrames) {
        for (int i = 0; i < maxFrames; ++i) {
            frame();
            if (done()) return true;
        }
        return false;
    }
    glm::dvec3 position() const { return character->controller->getPosition(); }
    bool standing() const { return character->controllerState.collisionFlags == phys::ControllerCollisionFlag::Down; }
    void land() { ASSERT_TRUE(frameUntil([&] { return standing(); }, 120)) << "never landed"; frames(10); }
};

TEST_F(CharacterTest, FallsOntoTheStartTileAndStandsStill) {
    object::Hex* start = addStartTile();
    EXPECT_NEAR(position().y, 10.0, 1e-6);
    EXPECT_STREQ(character->staticActor->getName(), "character");
    EXPECT_STREQ(character->dynamicActor->getName(), "dynamic");

    frame();
    EXPECT_EQ(character->moveFlags, 0) << "in the air after the first move";
    EXPECT_LT(position().y, 10.0);

    ASSERT_TRUE(frameUntil([&] { return standing(); }, 60));
    EXPECT_STREQ(touchedName(*character), "hex");
    // Landing on the start tile marks it but counts nothing.
    EXPECT_TRUE(start->visited);
    EXPECT_EQ(start->hexColor, HexColor::Visited);
    EXPECT_EQ(character->visitedTargets, 0);
    EXPECT_EQ(character->wrongSteps, 0);
    EXPECT_FLOAT_EQ(jumpTimer, 3.0f);
    EXPECT_FLOAT_EQ(moveDisplacement.y, FrameMs / 1000.0f * -9.81f) << "a light push into the ground";

    // Standing: the box rests on the tile's top and neither sinks nor jitters.
    frames(5);
    const glm::dvec3 rest = position();
    EXPECT_NEAR(rest.y, TileTop + ControllerHalfHeight, 0.25);
    for (int i = 0; i < 120; ++i) {
        frame();
        ASSERT_EQ(character->moveFlags, phys::ControllerCollisionFlag::Down) << "frame " << i;
        ASSERT_STREQ(touchedName(*character), "hex") << "frame " << i;
        ASSERT_NEAR(position().y, rest.y, 0.01) << "frame " << i;
    }
    EXPECT_NEAR(position().x, 0.0, 1e-3);
    EXPECT_NEAR(position().z, -34.0, 1e-3);
    // The model is drawn where the controller's actor is.
    EXPECT_NEAR(character->getPosition().y, position().y, 1e-3);
}

TEST_F(CharacterTest, WalkingOneSecondCoversTenUnitsAlongTheHeading) {
    addStartTile();
    for (int k = 1; k <= 3; ++k) addRowTile("1cloned0" + std::to_string(k - 1), k, true, HexColor::Target);
    land();

    // Heading 0 walks along +z.
    glm::dvec3 from = position();
    character->moveForward = true;
    frames(12);
    EXPECT_NEAR(position().z - from.z, 2.0, 0.1);
    EXPECT_NEAR(position().x - from.x, 0.0, 0.01);
    character->moveForward = false;

    // Facing +x, one second of "w" covers the row's tiles.
    characterYaw = HalfPi;
    frame();
    from = position();
    character->moveForward = true;
    frames(60);
    character->moveForward = false;
    EXPECT_NEAR(position().x - from.x, 10.0, 0.3);
    EXPECT_NEAR(position().z, from.z, 0.05);
    EXPECT_NEAR(position().y, from.y, 0.05);
    EXPECT_TRUE(standing());
    // The model's +z side faces the way it walks.
    const glm::vec3 facing = glm::normalize(glm::vec3(character->modelMatrix[2]));
    EXPECT_NEAR(facing.x, 1.0f, 1e-3f);
    EXPECT_NEAR(facing.z, 0.0f, 1e-3f);

    // "s" walks backward; with "w" held as well, backward wins.
    from = position();
    character->moveForward = true;
    character->moveBackward = true;
    frames(30);
    EXPECT_NEAR(position().x - from.x, -5.0, 0.2);
}

TEST_F(CharacterTest, TurningTwoRadiansPerSecond) {
    addBox("floor", glm::vec3(0.0f, 1.0f, -34.0f), glm::vec3(20.0f, 0.5f, 20.0f));
    land();
    character->turnLeft = true;
    frames(60);
    EXPECT_NEAR(characterYaw, 2.0f, 1e-3f);
    phys::Shape* box = nullptr;
    ASSERT_EQ(character->controller->getActor()->getShapes(&box, 1, 0), 1u);
    const glm::quat turn = box->getLocalPose().q;  // about the actor's local x, the world up
    EXPECT_NEAR(turn.w, std::cos(characterYaw * 0.5f), 1e-4f);
    EXPECT_NEAR(turn.x, std::sin(characterYaw * 0.5f), 1e-4f);

    // Reversing turns the other way; "d" undoes "a".
    character->moveBackward = true;
    frames(30);
    EXPECT_NEAR(characterYaw, 1.0f, 1e-3f);
    character->moveBackward = false;
    character->turnLeft = false;
    character->turnRight = true;
    frames(30);
    EXPECT_NEAR(characterYaw, 0.0f, 1e-3f);

    // A new character faces +z again.
    characterYaw = 1.0f;
    object::Character other("character", nullptr, glm::mat4(1.0f));
    EXPECT_EQ(characterYaw, 0.0f);
    playerCharacter = character;
}

TEST_F(CharacterTest, TargetCountsOnceAndCompletesTheLevel) {
    addStartTile();
    object::Hex* target = addRowTile("1cloned00", 1, true, HexColor::Target);
    addRowTile("1cloned01", 2);
    character->targetCount = 1;
    land();
    EXPECT_FALSE(character->allTargetsVisited);

    characterYaw = HalfPi;
    character->moveForward = true;
    ASSERT_TRUE(frameUntil([&] { return character->visitedTargets == 1; }, 90)) << "never reached the target";
    EXPECT_STREQ(touchedName(*character), "1cloned00");
    EXPECT_EQ(target->hexColor, HexColor::Visited);
    EXPECT_TRUE(target->visited);
    EXPECT_TRUE(character->allTargetsVisited);
    character->moveForward = false;
    frames(30);
    EXPECT_EQ(character->visitedTargets, 1);
    EXPECT_EQ(character->wrongSteps, 0);
}

TEST_F(CharacterTest, ThirdWrongTileKills) {
    addStartTile();
    object::Hex* row[4];
    for (int k = 1; k <= 4; ++k) row[k - 1] = addRowTile("1cloned0" + std::to_string(k - 1), k);
    land();
    characterYaw = HalfPi;
    character->moveForward = true;
    ASSERT_TRUE(frameUntil([&] { return character->wrongSteps == 2; }, 200)) << "stuck at x " << position().x;
    EXPECT_FALSE(character->dead);
    EXPECT_EQ(row[0]->hexColor, HexColor::Wrong);
    EXPECT_EQ(row[1]->hexColor, HexColor::Wrong);
    ASSERT_TRUE(frameUntil([&] { return character->dead; }, 120)) << "stuck at x " << position().x;
    EXPECT_EQ(character->wrongSteps, 0);
    EXPECT_EQ(row[2]->hexColor, HexColor::Wrong);
    EXPECT_EQ(row[3]->hexColor, HexColor::None);
}

TEST_F(CharacterTest, StandingOnTheDeathZoneKills) {
    addDeathZone();
    // Falling past nothing does not kill; only standing on the plane does.
    ASSERT_TRUE(frameUntil([&] { return character->dead; }, 240)) << "y " << position().y;
    EXPECT_STREQ(touchedName(*character), "deathZone");
    EXPECT_NEAR(position().y, -55.0 + ControllerHalfHeight, 0.25);
}

TEST_F(CharacterTest, RunningIntoTheWallDoesNotKill) {
    addStartTile();
    addRowTile("1cloned00", 1);
    addBox("wall1", glm::vec3(7.0f, 4.0f, -34.0f), glm::vec3(1.0f, 3.0f, 6.0f));
    land();
    characterYaw = HalfPi;
    character->moveForward = true;
    frames(60);
    EXPECT_FALSE(character->dead);
    EXPECT_LT(position().x, 6.0 - 1.0) << "walked into the wall";
    EXPECT_GT(position().x, 4.5) << "did not reach the wall";
}

TEST_F(CharacterTest, LandingOnTopOfTheWallKills) {
    addBox("wall1", glm::vec3(0.0f, 1.0f, -34.0f), glm::vec3(4.0f, 0.5f, 4.0f));
    ASSERT_TRUE(frameUntil([&] { return character->dead; }, 120)) << "y " << position().y;
    EXPECT_STREQ(touchedName(*character), "wall1");
    EXPECT_NEAR(position().y, TileTop + ControllerHalfHeight, 0.25);
}

TEST_F(CharacterTest, GoalTileHandsOverToTheFreeBody) {
    addDeathZone();
    addStartTile();
    object::Hex* goal = addRowTile("1cloned21", 1, false, HexColor::Goal);
    goal->isGoal = true;
    land();
    const glm::vec3 waiting = character->dynamicActor->getGlobalPose().p;
    EXPECT_NEAR(waiting.z, -43.0f, 1e-4f) << "the free body waits, disabled";
    EXPECT_NEAR(waiting.y, 10.0f, 1e-4f);

    characterYaw = HalfPi;
    character->moveForward = true;
    ASSERT_TRUE(frameUntil([&] { return character->goalReached; }, 90));
    EXPECT_TRUE(goal->visited);
    EXPECT_EQ(goal->hexColor, HexColor::Goal);
    EXPECT_EQ(character->wrongSteps, 0);
    const glm::vec3 handedAt = character->dynamicActor->getGlobalPose().p;
    const glm::dvec3 controllerAt = position();
    EXPECT_NEAR(handedAt.x, controllerAt.x, 0.3);
    EXPECT_NEAR(handedAt.z, controllerAt.z, 1e-3);

    // From now on the controller stays and the model follows the free body, which is
    // pushed towards -x, falls off the field and lands on the death zone.
    frame();
    EXPECT_NEAR(position().x, controllerAt.x, 1e-6);
    EXPECT_NEAR(character->getPosition().x, character->dynamicActor->getGlobalPose().p.x, 1e-4);
    ASSERT_TRUE(frameUntil([&] { return callback.dynamicFell; }, 600))
        << "free body at y " << character->dynamicActor->getGlobalPose().p.y;
    EXPECT_LT(character->dynamicActor->getGlobalPose().p.x, handedAt.x);
    EXPECT_FALSE(character->dead);
}

TEST_F(CharacterTest, GoalModeWithoutHandOverLeavesTheFreeBodyWaiting) {
    addStartTile();
    land();
    const glm::dvec3 stand = position();
    character->goalReached = true;  // the "k" key
    character->moveForward = true;
    frames(30);
    EXPECT_EQ(position(), stand);
    const glm::vec3 shown = character->getPosition();
    EXPECT_NEAR(shown.x, 0.0f, 1e-4f);
    EXPECT_NEAR(shown.y, 10.0f, 1e-4f);
    EXPECT_NEAR(shown.z, -43.0f, 1e-4f);
    EXPECT_FALSE(callback.dynamicFell);
}

TEST_F(CharacterTest, MovingTileCarriesTheCharacterAlongZ) {
    object::Hex* moving = addTile("moving111", glm::vec3(0.0f, 1.0f, -34.0f), true, HexColor::Target);
    moving->isMoving = true;
    object::Hex* twin = addTile("moving111", glm::vec3(0.0f, -30.0f, 0.0f), true, HexColor::Target);
    character->targetCount = 5;
    land();
    // Standing on one moving tile visits every tile of that name.
    EXPECT_EQ(character->visitedTargets, 2);
    EXPECT_TRUE(twin->visited);
    const double height = position().y;
    // No ground push on a moving tile: the fall's last displacement stays.
    const float carried = moveDisplacement.y;
    EXPECT_LT(carried, -0.3f);

    for (int i = 1; i <= 60; ++i) {
        const float z = -34.0f + 0.05f * i;
        moving->staticActor->setGlobalPose(phys::Pose(glm::vec3(0.0f, 1.0f, z)), true);
        frame();
        ASSERT_STREQ(touchedName(*character), "moving111") << "frame " << i;
        ASSERT_NEAR(position().z, z, 1e-3) << "frame " << i;
        ASSERT_NEAR(position().y, height, 0.05) << "frame " << i;
    }
    EXPECT_EQ(character->visitedTargets, 2);
    EXPECT_EQ(moveDisplacement.y, carried);
}

TEST_F(CharacterTest, JumpLiftsUntilTheTimerRunsOut) {
    addStartTile();
    land();
    const double ground = position().y;
    character->jump = true;
    frame();
    EXPECT_FLOAT_EQ(jumpTimer, 3.0f) << "full time at every ground contact";
    EXPECT_GT(position().y, ground + 0.05);
    frame();
    ASSERT_EQ(character->controllerState.collisionFlags, 0);
    const float s = FrameMs / 1000.0f;
    EXPECT_NEAR(jumpTimer, 3.0f - s, 1e-6f);
    const double lifted = position().y;
    frames(10);
    EXPECT_NEAR(position().y - lifted, 10 * 400.0 * s * s, 0.01) << "lifted by 400 s^2 per update";

    // Near the end of the time: the jump is cancelled and gravity takes over.
    jumpTimer = 2.5f * s;
    frames(3);
    EXPECT_LT(jumpTimer, 0.0f);
    frame();
    EXPECT_FALSE(character->jump);
    ASSERT_TRUE(frameUntil([&] { return standing(); }, 120)) << "never came down";
    EXPECT_FLOAT_EQ(jumpTimer, 3.0f);
    frames(5);
    EXPECT_NEAR(position().y, ground, 0.02);
}

TEST_F(CharacterTest, SideContactRunsNoTileRule) {
    // Falling along a wall onto a new tile while pressing against the wall: sides and down (5).
    object::Hex* wrong = addTile("1cloned00", glm::vec3(0.0f, 1.0f, -34.0f));
    addBox("wall1", glm::vec3(3.0f, 6.0f, -34.0f), glm::vec3(1.0f, 6.0f, 6.0f));
    characterYaw = HalfPi;
    character->moveForward = true;
    const phys::ControllerCollisionFlags both =
        phys::ControllerCollisionFlag::Sides | phys::ControllerCollisionFlag::Down;
    ASSERT_TRUE(frameUntil([&] { return character->controllerState.collisionFlags == both; }, 120))
        << "flags " << int(character->controllerState.collisionFlags) << " at " << position().x << ", " << position().y;
    frames(10);
    EXPECT_FALSE(wrong->visited);
    EXPECT_EQ(character->wrongSteps, 0);
    EXPECT_FALSE(character->dead) << "a wall's side does not kill";

    character->moveForward = false;
    ASSERT_TRUE(frameUntil([&] { return standing(); }, 30));
    frame();
    EXPECT_TRUE(wrong->visited);
    EXPECT_EQ(character->wrongSteps, 1);
}

TEST_F(CharacterTest, FlatModelGetsNoControllerButStillUpdates) {
    object::Character* flat = makeCharacter(glm::vec3(-2.0f, 0.0f, -0.75f), glm::vec3(2.0f, 0.0f, 0.75f));
    EXPECT_EQ(flat->controller, nullptr);
    EXPECT_EQ(flat->staticActor, nullptr);
    ASSERT_NE(flat->dynamicActor, nullptr);
    flat->moveForward = true;
    flat->update(FrameMs, tiles);
    flat->goalReached = true;
    flat->update(FrameMs, tiles);
    EXPECT_NEAR(flat->getPosition().z, -43.0f, 1e-4f);
    delete flat;
    playerCharacter = character;
}

TEST_F(CharacterTest, DeletingTheCharacterTakesItsBodiesOutOfTheScene) {
    addStartTile();
    land();
    ASSERT_EQ(scene->getNbActors(), 3u);  // the free body, the controller's actor, the tile
    ASSERT_EQ(controllerManager->getNbControllers(), 1u);
    delete character;
    character = nullptr;
    EXPECT_EQ(controllerManager->getNbControllers(), 0u);
    ASSERT_EQ(scene->getNbActors(), 1u);
    EXPECT_STREQ(scene->getActor(0)->getName(), "hex");
}

TEST_F(CharacterTest, LevelWithoutTargetsIsCompleteAtOnce) {
    addStartTile();
    character->targetCount = 0;
    frame();
    EXPECT_TRUE(character->allTargetsVisited);
}

}  // namespace
