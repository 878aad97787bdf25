// The player character on the real physics layer: a small world of cooked hex tiles,
// stepped at 1/60 s, then the character's update with the frame's 16.67 ms, driven
// only through its key flags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
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
#include "objects/Matchfield.h"
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
        tile->borrowModel(Mesh(), hexMesh);  // the test owns the cooked prism
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

    void frame(float ms = FrameMs) {
        scene->simulate(StepSeconds);
        scene->fetchResults(true);
        character->update(ms, tiles);
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
    EXPECT_NEAR(position().y - lifted, 10 * 6.8 * s, 0.01) << "lifted at 6.8 units per second";

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

// A slow machine's long frames must not make a higher jump.
TEST_F(CharacterTest, OneSecondOfHeldJumpRisesAlikeAtAnyFrameTime) {
    addStartTile();
    for (const float ms : {17.0f, 67.0f}) {
        land();
        const double ground = position().y;
        character->jump = true;
        for (float held = 0.0f; held < 1000.0f - ms / 2; held += ms) frame(ms);
        character->jump = false;
        EXPECT_NEAR(position().y - ground, 6.8, 0.2) << ms << " ms frames";
    }
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

// ---- Riding the shipped levels' moving tiles ---------------------------------------------

struct SwingLevel {
    int level = 0;
    int columns = 0;
    int rows = 0;
    int fields = 0;
    std::vector<float> amplitudes;
};

// The shipped levels that have moving tiles, as their files give them (the tests run in
// the build folder, where res/ is staged).
std::vector<SwingLevel> ShippedSwingLevels() {
    std::vector<SwingLevel> levels;
    for (int level = 1;; ++level) {
        std::ifstream file(object::Matchfield::levelFilePath(level));
        if (!file) break;
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        if (lines.size() < 5) continue;
        SwingLevel made;
        made.level = level;
        made.columns = std::stoi(lines[0]);
        made.rows = std::stoi(lines[1]);
        made.fields = std::stoi(lines[2]);
        for (size_t i = 4; i < lines.size(); ++i) {
            if (!lines[i].empty() && lines[i][0] == 'm') made.amplitudes.push_back(std::stof(lines[i].substr(1)));
        }
        if (!made.amplitudes.empty()) levels.push_back(made);
    }
    return levels;
}

class MovingTileRideTest : public CharacterTest {
protected:
    std::vector<object::Hex*> moving;
    float phase = 0.0f;
    float phaseStep = 0.0f;
    float baseZ = 0.0f;

    // A new world for the next level: no tiles, a new character.
    void freshWorld() {
        for (object::Hex* tile : tiles) delete tile;
        tiles.clear();
        moving.clear();
        delete character;
        jumpTimer = 3.0f;
        moveDisplacement = glm::vec3(0.0f);
        characterYaw = 0.0f;
        character = makeCharacter(ModelMin, ModelMax);
    }

    // One frame as the game runs it: the step, the character, then the tiles' swing, whose
    // phase grows by one tile-clock step for each tile update of the frame.
    void swingFrame() {
        frame();
        phase += phaseStep;
        for (object::Hex* tile : moving) {
            const float z = std::sin(phase) * tile->amplitude + baseZ;
            tile->staticActor->setGlobalPose(phys::Pose(glm::vec3(0.0f, 1.0f, z)), true);
        }
    }

    float tileZ(const object::Hex* tile) const { return tile->staticActor->getGlobalPose().p.z; }

    // Walks ahead, takes off once past takeOffZ, lets go of the jump once over the tile at
    // aimZ(), and of "w" once standing on a tile named name. False when it does not
    // get there within maxFrames.
    bool jumpAcross(float takeOffZ, const std::function<float()>& aimZ, const std::string& name, int maxFrames) {
        character->moveForward = true;
        bool tookOff = false;
        for (int i = 0; i < maxFrames; ++i) {
            if (!tookOff && position().z >= takeOffZ) {
                character->jump = true;
                tookOff = true;
            }
            if (character->jump && position().z >= aimZ() - 3.5f) character->jump = false;
            swingFrame();
            if (tookOff && standing() && touchedName(*character) == name) {
                character->moveForward = false;
                character->jump = false;
                return true;
            }
        }
        character->moveForward = false;
        character->jump = false;
        return false;
    }
};

// A player's way across every shipped moving tile: from the last row of field 1 onto the
// tile as it comes back, a ride, and off onto field 2 at the far end of its swing, each
// time by walking and a held jump let go over the tile aimed at.
TEST_F(MovingTileRideTest, EveryShippedMovingTileCarriesTheCharacterFromFieldOneToFieldTwo) {
    const std::vector<SwingLevel> levels = ShippedSwingLevels();
    ASSERT_FALSE(levels.empty()) << "no shipped level with a moving tile";
    const float d = 2.0f * HexRadius;
    const float w = HexWidth;
    for (const SwingLevel& level : levels) {
        SCOPED_TRACE("Level" + std::to_string(level.level) + ".txt");
        freshWorld();
        const auto rowZ = [&](int field, int row) {
            return -34.0f + static_cast<float>((2 * field - 2) * level.rows + 2) * d + 0.75f * d * row;
        };
        const auto columnX = [&](int row, int column) {
            return (static_cast<float>(column) - 2.0f - (row % 2 == 1 ? 0.5f : 0.0f)) * w;
        };
        const int lastRow = level.rows - 1;
        for (const auto& [field, row] : {std::pair{1, lastRow - 1}, {1, lastRow}, {2, 0}, {2, 1}}) {
            for (int k = 0; k < level.columns; ++k) {
                const std::string name =
                    std::to_string(field) + "cloned" + std::to_string(row) + std::to_string(k);
                addTile(name, glm::vec3(columnX(row, k), 1.0f, rowZ(field, row)), true, HexColor::Target);
            }
        }
        baseZ = 0.75f * static_cast<float>(level.rows + 2) * d;
        for (float amplitude : level.amplitudes) {
            object::Hex* tile = addTile("moving111", glm::vec3(0.0f, 1.0f, baseZ), true, HexColor::Target);
            tile->isMoving = true;
            tile->amplitude = amplitude;
            moving.push_back(tile);
        }
        character->targetCount = 1000;
        // Every tile of the level and the start tile once more are updated per frame.
        const int tileUpdates = level.columns * level.rows * level.fields + static_cast<int>(moving.size()) + 2;
        phaseStep = static_cast<float>(tileUpdates) * FrameMs * 1e-5f;

        // On the last row of field 1 (its column 2), in line with the moving tile.
        const float startX = lastRow % 2 == 1 ? -0.25f * w : 0.0f;
        const std::string boardFrom = "1cloned" + std::to_string(lastRow) + "2";
        character->controller->setPosition(glm::dvec3(startX, 5.0, rowZ(1, lastRow)));
        land();
        ASSERT_STREQ(touchedName(*character), boardFrom.c_str());

        // The first tile comes back to field 1 about a second after the walk begins.
        object::Hex* ride = moving.front();
        const float backPhase = ride->amplitude > 0.0f ? 1.5f * 3.1415927f : 0.5f * 3.1415927f;
        phase = backPhase - 60.0f * phaseStep;
        swingFrame();
        ASSERT_TRUE(jumpAcross(rowZ(1, lastRow) + 2.0f, [&] { return tileZ(ride); }, "moving111", 240))
            << "could not board the moving tile";

        // Ride to the far end of the swing of whichever tile carries the character.
        bool atFrontEnd = false;
        for (int i = 0; i < 2000 && !atFrontEnd; ++i) {
            swingFrame();
            for (object::Hex* tile : moving) {
                const bool carries = character->controllerState.touchedActor == tile->staticActor;
                if (carries && tileZ(tile) >= baseZ + 0.999f * std::fabs(tile->amplitude)) atFrontEnd = true;
            }
            ASSERT_GT(position().y, 0.0) << "fell off the moving tile";
        }
        ASSERT_TRUE(atFrontEnd) << "never carried to the far end";
        const float landZ = rowZ(2, 0);
        ASSERT_TRUE(jumpAcross(position().z, [&] { return landZ; }, "2cloned02", 240))
            << "could not get from the moving tile onto field 2";
    }
}

}  // namespace
