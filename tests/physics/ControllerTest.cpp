// The box character controller with the game's description: a 3.8 high box on hex tiles,
// contact offset 0.1, step offset 0.01, moved every frame the way the character moves it.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "PhysicsTestWorld.h"
#include "objects/CharacterControllerDesc.h"
#include "physics/Controller.h"
#include "physics/ControllerManager.h"

using test::PhysicsTestWorld;
using test::StepSeconds;

namespace {

constexpr float Walk = 10.0f;  // units per second
constexpr float TileTop = 1.5f;

// The game's controller for the shipped 4 x 2 x 1.5 character model.
phys::BoxControllerDesc characterDesc(const glm::dvec3& position) {
    return object::CharacterControllerDesc({4.0f, 2.0f, 1.5f}, position);
}

const float StandingHeight = TileTop + 0.1f + float(4.0 / 2.1);

// A world with a controller, moved per frame as the character does: a light push into the
// ground on exactly "down", a growing fall with no contact, the last value otherwise.
class ControllerWorld : public PhysicsTestWorld {
public:
    explicit ControllerWorld(const phys::BoxControllerDesc& desc) {
        manager = phys::createControllerManager(&scene());
        controller = manager->createController(desc);
    }
    phys::ControllerCollisionFlags frame(const glm::vec3& walkDirection = glm::vec3(0.0f)) {
        step();
        phys::ControllerState state;
        controller->getState(state);
        if (state.collisionFlags == phys::ControllerCollisionFlag::Down)
            fallSpeed = -9.81f * StepSeconds;
        else if (state.collisionFlags == 0)
            fallSpeed += StepSeconds * (-98.1f * StepSeconds);
        const glm::vec3 side = walkDirection * (Walk * StepSeconds);
        return controller->move({side.x, fallSpeed, side.z}, 1e-9f, StepSeconds, phys::ControllerFilters());
    }
    phys::RigidActor* touched() const {
        phys::ControllerState state;
        controller->getState(state);
        return state.touchedActor;
    }
    glm::vec3 position() const { return glm::vec3(controller->getPosition()); }

    phys::ControllerManager* manager;
    phys::Controller* controller;
    float fallSpeed = 0.0f;
};

}  // namespace

TEST(Controller, StandingStillOnATileReportsExactlyDownAndTheTile) {
    ControllerWorld world(characterDesc({0.0, StandingHeight + 0.05, 0.0}));
    phys::RigidStatic* tile = world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    for (int i = 0; i < 10; ++i) world.frame();  // settle from just above
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(world.frame(), phys::ControllerCollisionFlag::Down) << "frame " << i;
        ASSERT_EQ(world.touched(), tile);
        ASSERT_NEAR(world.position().y, StandingHeight, 2e-3f) << "frame " << i;
    }
    // The kinematic actor follows, turned so that its local x points up.
    const phys::Pose pose = world.controller->getActor()->getGlobalPose();
    EXPECT_NEAR(pose.p.y, StandingHeight, 2e-3f);
    EXPECT_NEAR(glm::dot(pose.q * glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f)), 1.0f, 1e-5f);
    EXPECT_STREQ(world.touched()->getName(), "hex");
}

TEST(Controller, FallsWithNoContactThenLandsAndStays) {
    ControllerWorld world(characterDesc({0.0, 10.0, -34.0}));
    phys::RigidStatic* tile = world.addHexTile({0.0f, 1.0f, -34.0f}, "hex");
    int airborne = 0;
    while (world.frame() == 0 && airborne < 200) ++airborne;
    EXPECT_GT(airborne, 10);
    EXPECT_LT(airborne, 200);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(world.frame(), phys::ControllerCollisionFlag::Down) << "frame " << i;
    EXPECT_EQ(world.touched(), tile);
    EXPECT_NEAR(world.position().y, StandingHeight, 2e-3f);
    EXPECT_NEAR(world.position().z, -34.0f, 1e-4f);
}

TEST(Controller, InTheAirNothingIsTouched) {
    ControllerWorld world(characterDesc({0.0, 30.0, 0.0}));
    world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    EXPECT_EQ(world.frame({1.0f, 0.0f, 0.0f}), 0);
    EXPECT_EQ(world.frame(), 0);
    EXPECT_EQ(world.touched(), nullptr);
}

TEST(Controller, FallingOffTheFieldLandsOnTheDeathZone) {
    ControllerWorld world(characterDesc({0.0, -45.0, 0.0}));
    phys::RigidStatic* deathZone = world.addDeathZone(-55.0f);
    int frames = 0;
    while (world.frame() != phys::ControllerCollisionFlag::Down && frames < 200) ++frames;
    EXPECT_LT(frames, 200);
    EXPECT_EQ(world.touched(), deathZone);
    EXPECT_NEAR(world.position().y, -55.0f + 0.1f + float(4.0 / 2.1), 2e-3f);
}

TEST(Controller, WalkingIntoAWallOnTheGroundReportsSidesAndDown) {
    ControllerWorld world(characterDesc({0.0, StandingHeight, -1.5}));
    phys::RigidStatic* tile = world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    world.addBlock({0.0f, TileTop + 4.0f, 3.0f}, {7.0f, 4.0f, 1.0f}, "wall1");  // face at z = 2
    phys::ControllerCollisionFlags flags = 0;
    for (int i = 0; i < 60; ++i) flags = world.frame({0.0f, 0.0f, 1.0f});
    EXPECT_EQ(flags, phys::ControllerCollisionFlag::Sides | phys::ControllerCollisionFlag::Down);
    EXPECT_EQ(world.touched(), tile);
    EXPECT_NEAR(world.position().z, 2.0f - 0.1f - 1.0f, 5e-3f);
    EXPECT_NEAR(world.position().y, StandingHeight, 2e-3f);
    // Walking along the wall slides: no sideways hit, back to exactly "down".
    EXPECT_EQ(world.frame({1.0f, 0.0f, 0.0f}), phys::ControllerCollisionFlag::Down);
}

TEST(Controller, StepHigherThanTheStepOffsetBlocksALowerOneIsClimbed) {
    phys::BoxControllerDesc desc;
    desc.position = {0.0, 1.2, 0.0};
    desc.stepOffset = 0.3f;
    desc.contactOffset = 0.1f;
    desc.halfHeight = 1.0f;
    desc.halfSideExtent = 0.5f;
    desc.halfForwardExtent = 0.5f;

    for (float stepHeight : {0.5f, 0.2f}) {
        ControllerWorld world(desc);
        world.addBlock({0.0f, -0.5f, 0.0f}, {20.0f, 0.5f, 20.0f}, "floor");
        world.addBlock({6.0f, 0.5f * stepHeight, 0.0f}, {4.0f, 0.5f * stepHeight, 4.0f}, "step");  // face at x = 2
        for (int i = 0; i < 40; ++i) world.frame({1.0f, 0.0f, 0.0f});
        if (stepHeight > desc.stepOffset) {
            EXPECT_NEAR(world.position().x, 2.0f - 0.1f - 0.5f, 5e-3f);
            EXPECT_NEAR(world.position().y, 1.1f, 2e-3f);
            EXPECT_EQ(world.frame({1.0f, 0.0f, 0.0f}), phys::ControllerCollisionFlag::Sides | phys::ControllerCollisionFlag::Down);
        } else {
            EXPECT_NEAR(world.position().x, 40.0f * Walk * StepSeconds, 1e-3f);
            EXPECT_NEAR(world.position().y, stepHeight + 1.1f, 2e-3f);
            EXPECT_STREQ(world.touched()->getName(), "step");
        }
    }
}

TEST(Controller, ClimbsWalkableSlopesButNotSteepOnes) {
    phys::BoxControllerDesc desc;
    desc.position = {0.0, 1.1, 0.0};
    desc.slopeLimit = 0.707f;  // 45 degrees
    desc.stepOffset = 0.05f;
    desc.halfHeight = 1.0f;
    desc.halfSideExtent = 0.5f;
    desc.halfForwardExtent = 0.5f;

    // 63 degrees: a wall to walk along, never up.
    ControllerWorld steep(desc);
    steep.addBlock({0.0f, -0.5f, 0.0f}, {20.0f, 0.5f, 20.0f}, "floor");
    steep.addRamp({2.0f, 0.0f, 0.0f}, 1.0f, 2.0f, "ramp");
    for (int i = 0; i < 60; ++i) steep.frame({1.0f, 0.0f, 0.0f});
    EXPECT_LT(steep.position().x, 2.0f - 0.5f);
    EXPECT_NEAR(steep.position().y, 1.1f, 2e-3f);
    EXPECT_EQ(steep.frame({1.0f, 0.0f, 0.0f}), phys::ControllerCollisionFlag::Sides | phys::ControllerCollisionFlag::Down);

    // 18 degrees: walked up, standing on the ramp a skin above it.
    ControllerWorld gentle(desc);
    gentle.addBlock({0.0f, -0.5f, 0.0f}, {20.0f, 0.5f, 20.0f}, "floor");
    phys::RigidStatic* ramp = gentle.addRamp({2.0f, 0.0f, 0.0f}, 6.0f, 2.0f, "ramp");
    for (int i = 0; i < 30; ++i) gentle.frame({1.0f, 0.0f, 0.0f});
    EXPECT_EQ(gentle.frame({1.0f, 0.0f, 0.0f}), phys::ControllerCollisionFlag::Down);
    const glm::vec3 p = gentle.position();
    EXPECT_GT(p.x, 4.0f);
    EXPECT_LT(p.x, 7.5f);
    EXPECT_GT(p.y, 1.1f + 0.5f);
    EXPECT_EQ(gentle.touched(), ramp);
}

TEST(Controller, TeleportedStaticTileIsFoundUnderTheController) {
    ControllerWorld world(characterDesc({0.0, StandingHeight, 0.0}));
    phys::RigidStatic* start = world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    phys::RigidStatic* moving = world.addHexTile({60.0f, 1.0f, 0.0f}, "moving111");
    for (int i = 0; i < 5; ++i) world.frame();
    ASSERT_EQ(world.touched(), start);

    start->setGlobalPose(phys::Pose({0.0f, 1.0f, -40.0f}));
    moving->setGlobalPose(phys::Pose({0.0f, 1.0f, 0.5f}));
    EXPECT_EQ(world.frame(), phys::ControllerCollisionFlag::Down);
    EXPECT_EQ(world.touched(), moving);

    // Riding: the tile moves along z and the controller is set to its z, as the game does.
    for (int i = 1; i <= 60; ++i) {
        const float z = 0.5f + 0.05f * float(i);
        moving->setGlobalPose(phys::Pose({0.0f, 1.0f, z}));
        const glm::dvec3 p = world.controller->getPosition();
        world.controller->setPosition({p.x, p.y, double(z)});
        ASSERT_EQ(world.frame(), phys::ControllerCollisionFlag::Down) << "frame " << i;
        ASSERT_EQ(world.touched(), moving);
    }
    EXPECT_NEAR(world.position().y, StandingHeight, 2e-3f);
    EXPECT_NEAR(world.controller->getActor()->getGlobalPose().p.z, 3.5f, 1e-4f);
}

TEST(Controller, WallSwungIntoTheControllerPushesItOut) {
    ControllerWorld world(characterDesc({0.0, StandingHeight, 0.0}));
    phys::RigidStatic* tile = world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    phys::RigidStatic* wall = world.addBlock({20.0f, TileTop + 4.0f, 0.0f}, {7.0f, 4.0f, 1.0f}, "wall1");
    world.frame();
    // The wall's -x face moves 0.4 into the box, whose +x side is at 1.333: pushed out to a
    // skin short of the face.
    wall->setGlobalPose(phys::Pose({1.333f - 0.4f + 7.0f, TileTop + 4.0f, 0.0f}));
    EXPECT_EQ(world.frame(), phys::ControllerCollisionFlag::Down);
    EXPECT_EQ(world.touched(), tile);
    EXPECT_NEAR(world.position().x, -0.4f - 0.1f, 0.01f);
    EXPECT_NEAR(world.position().y, StandingHeight, 2e-3f);
    // Walking away is free; walking back stops a skin short of the wall.
    for (int i = 0; i < 10; ++i) world.frame({-1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(world.position().x, -0.4f - 0.1f - 10.0f * Walk * StepSeconds, 0.01f);
    for (int i = 0; i < 20; ++i) world.frame({1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(world.position().x, -0.4f - 0.1f, 5e-3f);
}

// Slow frames: the wall's face comes on by a whole step per frame. While a step stays under
// half the box's width (4/3) plus the skin, the box is pushed along a skin ahead of the face;
// a step past its centre leaves it inside, standing put until the wall has gone by and it is
// let out behind, never carried along inside.
TEST(Controller, WallSteppingIntoTheBoxPushesItOrPassesItNeverCarriesIt) {
    const float half = 4.0f / 3.0f;
    const struct {
        float firstStep, step;
        bool pushed;
    } cases[] = {{0.42f, 0.42f, true}, {1.4f, 1.4f, true}, {2.0f, 0.5f, false}};  // 60 fps, 18 fps, one long frame
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "steps " << c.firstStep << ", " << c.step);
        ControllerWorld world(characterDesc({0.0, 0.1 + 4.0 / 2.1, 0.0}));
        world.addBlock({0.0f, -0.5f, 0.0f}, {80.0f, 0.5f, 80.0f}, "floor");
        float face = half + 0.1f;  // the wall's -x face, a skin off the box
        phys::RigidStatic* wall = world.addBlock({face + 7.0f, 3.5f, 0.0f}, {7.0f, 4.0f, 1.0f}, "wall1");
        for (int i = 0; i < 40; ++i) {
            face -= i == 0 ? c.firstStep : c.step;
            wall->setGlobalPose(phys::Pose({face + 7.0f, 3.5f, 0.0f}));
            ASSERT_EQ(world.frame(), phys::ControllerCollisionFlag::Down) << "frame " << i;
            const float x = world.position().x;
            ASSERT_TRUE(c.pushed ? std::fabs(face - (x + half) - 0.1f) < 0.02f : x > -1e-3f)
                << "frame " << i << ": box at x " << x << ", wall's face at " << face;
        }
        EXPECT_TRUE(c.pushed || world.position().x - half > face + 14.0f);  // let out behind
    }
}

// The game's wall, a 14 x 8 x 2 block mesh standing on a row of the field, swung along x
// after the controller has moved, as the frame update does. Its side pushing the controller
// along, sliding past it or shoving it off the field is never ground; its top is.
TEST(Controller, SwingingWallIsGroundOnlyWhenStoodOnTop) {
    const glm::vec3 wallHalf(7.0f, 4.0f, 1.0f);
    const float wallY = 4.0f;
    const auto wallX = [](float ms) { return std::sin(ms * 0.001f) * 25.0f + 15.0f; };
    // Five columns and six rows like the game's first field; the wall stands on the fourth row.
    const auto addField = [](ControllerWorld& world) {
        for (int row = 0; row < 6; ++row)
            for (int column = 0; column < 5; ++column)
                world.addHexTile({(float(column) - (row % 2 == 0 ? 2.0f : 2.5f)) * test::TileWidth, 1.0f,
                                  6.0f * float(row) - 18.0f},
                                 "tile");
    };
    struct Spot {
        float startMs;  // of the swing: 0 is x 15, 4712.4 its -x end (x -10); both then move +x
        float x, z, heading;
        bool walkIn;  // walks from the row before into the wall's row, then stands
    };
    std::vector<Spot> spots;
    // From x 15 the wall pushes these along -x or slides past them; from x -10 it shoves
    // those in its way off the field's +x edge.
    const std::pair<float, std::vector<float>> starts[] = {{0.0f, {-12.0f, 0.0f, 4.0f}},
                                                           {4712.4f, {0.0f, 5.0f, 10.0f}}};
    for (const auto& [startMs, xs] : starts) {
        for (float x : xs) {
            for (float z : {0.0f, 0.5f, 1.9f})
                for (float heading : {0.0f, 0.785f}) spots.push_back({startMs, x, z, heading, false});
            if (startMs == 0.0f) {
                // Its side flush with the wall's long face.
                for (float z : {2.0f, -2.0f}) spots.push_back({startMs, x, z, 0.0f, false});
            }
        }
        for (float x : {-5.0f, 5.0f}) spots.push_back({startMs, x, -6.0f, 0.0f, true});
    }

    for (const Spot& spot : spots) {
        SCOPED_TRACE(testing::Message() << "swing from " << spot.startMs << " ms, x " << spot.x << " z " << spot.z
                                        << " heading " << spot.heading << (spot.walkIn ? " walking in" : ""));
        ControllerWorld world(characterDesc({spot.x, StandingHeight, spot.z}));
        addField(world);
        float ms = spot.startMs;
        phys::RigidStatic* wall = world.addBlock({wallX(ms), wallY, 0.0f}, wallHalf, "wall1");
        phys::Shape* shape = nullptr;
        ASSERT_EQ(world.controller->getActor()->getShapes(&shape, 1), 1u);
        const float h = 0.5f * spot.heading;
        shape->setLocalPose(phys::Pose(glm::vec3(0.0f), glm::quat(std::cos(h), std::sin(h), 0.0f, 0.0f)));

        int besideWall = 0;
        // Two swings, or until it has fallen off the field.
        for (int frame = 0; frame < 760 && world.position().y > 0.0f; ++frame) {
            const bool walking = spot.walkIn && frame < 36;
            const phys::ControllerCollisionFlags flags = world.frame(walking ? glm::vec3(0, 0, 1) : glm::vec3(0));
            const glm::vec3 p = world.position();
            ASSERT_FALSE(flags == phys::ControllerCollisionFlag::Down && world.touched() == wall)
                << "frame " << frame << " at " << p.x << ", " << p.y << ", " << p.z << ", wall at x "
                << wall->getGlobalPose().p.x;
            if (std::fabs(p.z) < 3.0f && std::fabs(p.x - wall->getGlobalPose().p.x) < wallHalf.x + 2.0f) ++besideWall;
            ms += 1000.0f * StepSeconds;
            wall->setGlobalPose(phys::Pose({wallX(ms), wallY, 0.0f}));
        }
        EXPECT_GT(besideWall, 0);  // the wall did come by
    }

    // Dropped onto the top of the wall: standing on it, exactly "down".
    ControllerWorld world(characterDesc({15.0, 8.0 + StandingHeight, 0.0}));
    addField(world);
    phys::RigidStatic* wall = world.addBlock({15.0f, wallY, 0.0f}, wallHalf, "wall1");
    int frames = 0;
    while (world.frame() != phys::ControllerCollisionFlag::Down && frames < 120) ++frames;
    EXPECT_LT(frames, 120);
    EXPECT_EQ(world.touched(), wall);
    EXPECT_NEAR(world.position().y, 2.0f * wallY + 0.1f + float(4.0 / 2.1), 2e-3f);
}

// Walks from the centre of one tile over the seam onto its neighbour: every frame exactly
// "down", full speed, no bump.
void walkAcrossSeam(const glm::vec3& neighbourCentre) {
    ControllerWorld world(characterDesc({0.0, StandingHeight, 0.0}));
    phys::RigidStatic* from = world.addHexTile({0.0f, 1.0f, 0.0f}, "1cloned00");
    phys::RigidStatic* to = world.addHexTile(neighbourCentre + glm::vec3(0.0f, 1.0f, 0.0f), "1cloned01");
    world.frame();
    ASSERT_EQ(world.touched(), from);

    const glm::vec3 direction = glm::normalize(neighbourCentre);
    const int frames = int(std::ceil(glm::length(neighbourCentre) / (Walk * StepSeconds)));
    glm::vec3 previous = world.position();
    for (int i = 0; i < frames; ++i) {
        ASSERT_EQ(world.frame(direction), phys::ControllerCollisionFlag::Down) << "frame " << i;
        const glm::vec3 now = world.position();
        ASSERT_NEAR(glm::length(now - previous), Walk * StepSeconds, 1e-3f) << "frame " << i;
        ASSERT_NEAR(now.y, StandingHeight, 2e-3f) << "frame " << i;
        previous = now;
    }
    EXPECT_EQ(world.touched(), to);
}

TEST(Controller, WalksAcrossTheSeamToTheNextTileInARow) { walkAcrossSeam({test::TileWidth, 0.0f, 0.0f}); }

TEST(Controller, WalksAcrossTheSeamToTheNextRow) { walkAcrossSeam({0.5f * test::TileWidth, 0.0f, 6.0f}); }

TEST(Controller, SweepsTheBoxTurnedLikeItsShape) {
    phys::BoxControllerDesc desc = characterDesc({0.0, StandingHeight, 0.0});
    desc.halfSideExtent = 0.5f;     // along world x while unturned
    desc.halfForwardExtent = 1.5f;  // along world z while unturned
    for (bool turned : {false, true}) {
        ControllerWorld world(desc);
        world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
        world.addBlock({3.0f, TileTop + 4.0f, 0.0f}, {1.0f, 4.0f, 7.0f}, "wall1");  // face at x = 2
        phys::Shape* shape = nullptr;
        ASSERT_EQ(world.controller->getActor()->getShapes(&shape, 1), 1u);
        if (turned) {
            // A quarter turn of heading about the actor's local x, the world up axis.
            const float h = 0.25f * 3.14159265f;
            shape->setLocalPose(phys::Pose(glm::vec3(0.0f), glm::quat(std::cos(h), std::sin(h), 0.0f, 0.0f)));
        }
        for (int i = 0; i < 30; ++i) world.frame({1.0f, 0.0f, 0.0f});
        EXPECT_NEAR(world.position().x, 2.0f - 0.1f - (turned ? 1.5f : 0.5f), 5e-3f) << "turned " << turned;
    }
}

TEST(Controller, PushesADynamicBoxOutOfItsWay) {
    phys::BoxControllerDesc desc = characterDesc({0.0, 0.1 + double(4.0 / 2.1), 0.0});
    ControllerWorld world(desc);
    world.addBlock({0.0f, -0.5f, 0.0f}, {30.0f, 0.5f, 30.0f}, "floor");
    phys::RigidDynamic* barrel = world.addBox({4.0f, 1.2f, 0.0f}, {1.0f, 1.2f, 1.0f}, "b1");
    for (int i = 0; i < 90; ++i) world.frame({1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(world.position().x, 15.0f, 1e-2f);  // never held up
    EXPECT_GT(barrel->getGlobalPose().p.x, 15.0f + 1.333f);  // shoved ahead
}

TEST(Controller, SetPositionTeleportsControllerAndActor) {
    ControllerWorld world(characterDesc({0.0, 10.0, 0.0}));
    ASSERT_TRUE(world.controller->setPosition({5.0, 20.0, -7.25}));
    EXPECT_EQ(world.controller->getPosition(), glm::dvec3(5.0, 20.0, -7.25));
    EXPECT_EQ(world.controller->getActor()->getGlobalPose().p, glm::vec3(5.0f, 20.0f, -7.25f));
    EXPECT_TRUE(world.controller->getActor()->isKinematic());
    EXPECT_EQ(world.manager->getNbControllers(), 1u);
    world.controller->release();
    EXPECT_EQ(world.manager->getNbControllers(), 0u);
    EXPECT_EQ(world.scene().getNbActors(), 0u);
}
