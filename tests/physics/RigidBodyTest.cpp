// Rigid bodies on the Bullet layer: resting and stacking on cooked meshes, the actor
// flags, moved static actors, kinematic pushing, impulses and material averaging.
#include <gtest/gtest.h>

#include "PhysicsTestWorld.h"

using test::PhysicsTestWorld;
using test::StepSeconds;

namespace {

const glm::vec3 UnitBox(0.5f);

float tilt(const phys::Pose& pose) {
    // Angle between the body's up axis and world up.
    const glm::vec3 bodyUp = pose.q * glm::vec3(0.0f, 1.0f, 0.0f);
    return std::acos(glm::clamp(bodyUp.y, -1.0f, 1.0f));
}

}  // namespace

TEST(RigidBody, BoxDroppedOnCookedHexPrismComesToRestOnItsTop) {
    PhysicsTestWorld world;
    world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    phys::RigidDynamic* box = world.addBox({0.7f, 5.0f, -0.4f}, UnitBox, "box");

    world.step(180);

    const phys::Pose pose = box->getGlobalPose();
    EXPECT_NEAR(pose.p.y, 1.0f + test::TileHalfThickness + UnitBox.y, 0.03f);
    EXPECT_NEAR(pose.p.x, 0.7f, 0.05f);
    EXPECT_NEAR(pose.p.z, -0.4f, 0.05f);
    EXPECT_LT(tilt(pose), 0.02f);
    EXPECT_LT(glm::length(box->getLinearVelocity()), 0.05f);
}

TEST(RigidBody, PyramidOfFifteenUnitMassBoxesStandsForTenSeconds) {
    PhysicsTestWorld world;
    // The game's platform and barrels: a 16 x 2 x 24 block, boxes of half extents (1, 1.2, 1).
    world.addBlock({-32.0f, 0.0f, 5.0f}, {8.0f, 1.0f, 12.0f}, "right");
    const glm::vec3 half(1.0f, 1.2f, 1.0f);
    const float w = 2.0f * half.x, h = 2.0f * half.y;
    const glm::vec3 first(-30.0f, 2.5f, 3.0f);

    std::vector<phys::RigidDynamic*> barrels;
    std::vector<glm::vec3> restingPlace;
    const int rowSizes[] = {5, 4, 3, 2, 1};
    for (int row = 0; row < 5; ++row) {
        for (int i = 0; i < rowSizes[row]; ++i) {
            const glm::vec3 p(first.x, first.y + float(row) * h, first.z - (float(i) + 0.5f * float(row)) * w);
            barrels.push_back(world.addBox(p, half, "barrel"));
            // Each row settles onto the one below: the platform's top is at y = 1.
            restingPlace.emplace_back(p.x, 1.0f + half.y + float(row) * h, p.z);
        }
    }
    ASSERT_EQ(barrels.size(), 15u);
    EXPECT_FLOAT_EQ(barrels.front()->getMass(), 1.0f);

    // Settling from the 0.3 drop may shift the upper rows a little on their nearly
    // frictionless neighbours; after that nothing may creep, tip or fall for ten seconds.
    world.step(120);
    std::vector<glm::vec3> settled;
    for (phys::RigidDynamic* barrel : barrels) settled.push_back(barrel->getGlobalPose().p);
    world.step(600);

    for (size_t i = 0; i < barrels.size(); ++i) {
        const phys::Pose pose = barrels[i]->getGlobalPose();
        EXPECT_NEAR(pose.p.y, restingPlace[i].y, 0.02f) << "barrel " << i;
        EXPECT_LT(glm::distance(pose.p, restingPlace[i]), 0.5f * half.x) << "barrel " << i;
        EXPECT_LT(glm::distance(pose.p, settled[i]), 0.01f) << "barrel " << i;
        EXPECT_LT(tilt(pose), 0.02f) << "barrel " << i;
    }
}

TEST(RigidBody, DisabledActorNeitherFallsNorCollidesUntilItsFlagsAreCleared) {
    PhysicsTestWorld world;
    world.addHexTile({0.0f, 1.0f, 0.0f}, "hex");
    phys::RigidDynamic* waiting = world.addBox({0.0f, 4.0f, 0.0f}, UnitBox, "dynamic");
    waiting->setActorFlag(phys::ActorFlag::DisableGravity, true);
    waiting->setActorFlag(phys::ActorFlag::DisableSimulation, true);
    // A box dropped straight through the waiting one's place.
    phys::RigidDynamic* falling = world.addBox({0.0f, 6.0f, 0.0f}, UnitBox, "falling");

    world.step(150);
    EXPECT_EQ(waiting->getGlobalPose().p, glm::vec3(0.0f, 4.0f, 0.0f));
    EXPECT_NEAR(falling->getGlobalPose().p.y, 2.0f, 0.03f);  // fell through to the tile

    waiting->setActorFlag(phys::ActorFlag::DisableGravity, false);
    waiting->setActorFlag(phys::ActorFlag::DisableSimulation, false);
    world.step(15);
    EXPECT_LT(waiting->getGlobalPose().p.y, 3.8f);
    world.step(150);
    EXPECT_NEAR(waiting->getGlobalPose().p.y, 3.0f, 0.05f);  // now on top of the other box
}

TEST(RigidBody, GravityDisabledBodyFloatsButStillCollides) {
    PhysicsTestWorld world;
    phys::RigidDynamic* floating = world.addBox({0.0f, 5.0f, 0.0f}, UnitBox, "floating");
    floating->setActorFlag(phys::ActorFlag::DisableGravity, true);
    phys::RigidDynamic* falling = world.addBox({0.0f, 8.0f, 0.0f}, UnitBox, "falling");
    world.step(60);
    EXPECT_LT(floating->getGlobalPose().p.y, 5.0f - 0.1f);  // knocked down by the other box
    EXPECT_GT(falling->getGlobalPose().p.y, floating->getGlobalPose().p.y + 0.9f);
}

TEST(RigidBody, StaticActorMovedBySetGlobalPoseCatchesABodyAtItsNewPlace) {
    PhysicsTestWorld world;
    phys::RigidStatic* tile = world.addHexTile({100.0f, 1.0f, 0.0f}, "moving111");
    phys::RigidDynamic* box = world.addBox({0.0f, 4.0f, 0.0f}, UnitBox, "box");
    world.step(10);
    tile->setGlobalPose(phys::Pose({0.0f, 1.0f, 0.0f}));
    world.step(120);
    EXPECT_NEAR(box->getGlobalPose().p.y, 2.0f, 0.03f);
    EXPECT_EQ(tile->getGlobalPose().p, glm::vec3(0.0f, 1.0f, 0.0f));
}

TEST(RigidBody, KinematicTargetPushesDynamicBodyOutOfTheWay) {
    PhysicsTestWorld world;
    world.addBlock({0.0f, -0.5f, 0.0f}, {20.0f, 0.5f, 20.0f}, "floor");
    phys::RigidDynamic* box = world.addBox({2.0f, 0.5f, 0.0f}, UnitBox, "box");
    phys::RigidDynamic* pusher = world.addBox({-2.0f, 0.5f, 0.0f}, UnitBox, "pusher");
    pusher->setKinematic(true);
    world.step(30);
    const float startX = box->getGlobalPose().p.x;

    for (int i = 1; i <= 120; ++i) {
        pusher->setKinematicTarget(phys::Pose({-2.0f + 5.0f * StepSeconds * float(i), 0.5f, 0.0f}));
        world.step();
    }
    EXPECT_NEAR(pusher->getGlobalPose().p.x, 8.0f, 1e-3f);
    EXPECT_GT(box->getGlobalPose().p.x, startX + 4.5f);
    EXPECT_GT(box->getGlobalPose().p.x, pusher->getGlobalPose().p.x + 0.9f);  // ahead of it, not run through
}

TEST(RigidBody, NewDynamicHasUnitMassAndTakesImpulsesAndForces) {
    PhysicsTestWorld world(nullptr, nullptr, glm::vec3(0.0f));
    phys::RigidDynamic* body = world.addBox({0.0f, 0.0f, 0.0f}, UnitBox, "body");
    EXPECT_FLOAT_EQ(body->getMass(), 1.0f);

    body->addForce({2.0f, 0.0f, 0.0f}, phys::ForceMode::Impulse);
    EXPECT_NEAR(body->getLinearVelocity().x, 2.0f, 1e-5f);
    body->addForce({0.0f, 0.0f, 60.0f}, phys::ForceMode::Force);
    world.step();
    EXPECT_NEAR(body->getLinearVelocity().z, 60.0f * StepSeconds, 1e-4f);
    world.step();  // a force acts for one step only
    EXPECT_NEAR(body->getLinearVelocity().z, 60.0f * StepSeconds, 1e-4f);

    body->setMass(4.0f);
    body->addForce({0.0f, 8.0f, 0.0f}, phys::ForceMode::Impulse);
    EXPECT_NEAR(body->getLinearVelocity().y, 2.0f, 1e-5f);
}

TEST(RigidBody, FrictionOfTwoMaterialsIsTheirAverage) {
    PhysicsTestWorld world;
    world.addBlock({0.0f, -0.5f, 0.0f}, {50.0f, 0.5f, 5.0f}, "floor", 0.6f);
    phys::RigidDynamic* box = world.addBox({0.0f, 0.5f, 0.0f}, UnitBox, "box", 0.2f, 0.0f);
    world.step(20);
    box->setLinearVelocity({5.0f, 0.0f, 0.0f});
    world.step(30);
    // Sliding on friction 0.4 (not the product 0.12): 5 - 0.4 * 9.8 * 0.5 = 3.04.
    EXPECT_NEAR(box->getLinearVelocity().x, 3.04f, 0.15f);
}
