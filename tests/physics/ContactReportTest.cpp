// The game's physics callbacks on the Bullet layer: the fall test of ContactReportCallback,
// the filter shader's flags, and the found / persists / lost reports the scene delivers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PhysicsTestWorld.h"
#include "app/ContactReportCallback.h"

using test::PhysicsTestWorld;

namespace {

const glm::vec3 UnitBox(0.5f);

// Keeps every report of one step, besides running the game's fall test.
class RecordingCallback : public ContactReportCallback {
public:
    struct Event {
        std::string first, second;
        phys::PairFlags events;
        uint32_t contacts;
    };
    std::vector<Event> events;

    void onContact(const phys::ContactPairHeader& header, const phys::ContactPair* pairs, uint32_t count) override {
        for (uint32_t i = 0; i < count; ++i)
            events.push_back({name(header.actors[0]), name(header.actors[1]), pairs[i].events, pairs[i].contactCount});
        ContactReportCallback::onContact(header, pairs, count);
    }
    int count(phys::PairFlags flag) const {
        int n = 0;
        for (const Event& e : events) n += (e.events & flag) ? 1 : 0;
        return n;
    }

private:
    static std::string name(const phys::Actor* actor) {
        return actor && actor->getName() ? actor->getName() : "";
    }
};

int filterCalls = 0;
phys::FilterFlags countingShader(phys::FilterObjectAttributes a0, phys::FilterData d0, phys::FilterObjectAttributes a1,
                                 phys::FilterData d1, phys::PairFlags& flags, const void* block, uint32_t size) {
    ++filterCalls;
    return contactReportFilterShader(a0, d0, a1, d1, flags, block, size);
}

// Detects and reports touches, but never solves them.
phys::FilterFlags ghostShader(phys::FilterObjectAttributes, phys::FilterData, phys::FilterObjectAttributes,
                              phys::FilterData, phys::PairFlags& flags, const void*, uint32_t) {
    flags = phys::PairFlag::DetectDiscreteContact | phys::PairFlag::NotifyTouchFound;
    return phys::FilterFlag::Default;
}

phys::FilterFlags killShader(phys::FilterObjectAttributes, phys::FilterData, phys::FilterObjectAttributes,
                             phys::FilterData, phys::PairFlags& flags, const void*, uint32_t) {
    flags = 0x61D;
    return phys::FilterFlag::Kill;
}

}  // namespace

TEST(ContactReport, FilterShaderAsksToSolveAndReportEveryPair) {
    phys::FilterData data;
    data.word0 = 7;
    for (phys::FilterObjectAttributes a : {0u, 1u, 17u}) {
        phys::PairFlags flags = 0xFFFF;
        EXPECT_EQ(contactReportFilterShader(a, data, 1u, phys::FilterData(), flags, &data, 4), phys::FilterFlag::Default);
        EXPECT_EQ(flags, 0x61Du);
    }
}

TEST(ContactReport, FreeBodyFallingOntoDeathZoneRaisesTheFlagOnce) {
    RecordingCallback callback;
    PhysicsTestWorld world(&callback, contactReportFilterShader);
    world.addDeathZone(-55.0f);
    // Dropped from low enough not to bounce: one landing, one touch.
    world.addBox({3.0f, -55.0f + 1.3f + 0.15f, -2.0f}, {2.6f, 1.3f, 1.0f}, "dynamic");

    int raised = 0;
    for (int i = 0; i < 240; ++i) {
        world.step();
        if (callback.dynamicFell) ++raised;
        callback.dynamicFell = false;  // as the game-over pass does
    }
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(callback.count(phys::PairFlag::NotifyTouchFound), 1);
    EXPECT_GT(callback.count(phys::PairFlag::NotifyTouchPersists), 100);
    for (const auto& e : callback.events) EXPECT_GT(e.contacts, 0u);
}

TEST(ContactReport, BarrelOnDeathZoneLeavesTheFlagClear) {
    RecordingCallback callback;
    PhysicsTestWorld world(&callback, contactReportFilterShader);
    world.addDeathZone(-55.0f);
    world.addBox({0.0f, -55.0f + 1.2f + 0.1f, 0.0f}, {1.0f, 1.2f, 1.0f}, "b3");
    world.step(120);
    EXPECT_EQ(callback.count(phys::PairFlag::NotifyTouchFound), 1);
    EXPECT_FALSE(callback.dynamicFell);
}

TEST(ContactReport, OnlyATouchFoundBetweenTheTwoNamesCounts) {
    phys::RigidDynamic* freeBody = test::physics().createRigidDynamic(phys::Pose());
    phys::RigidStatic* deathZone = test::physics().createRigidStatic(phys::Pose());
    phys::RigidStatic* tile = test::physics().createRigidStatic(phys::Pose());
    phys::RigidStatic* unnamed = test::physics().createRigidStatic(phys::Pose());
    freeBody->setName("dynamic");
    deathZone->setName("deathZone");
    tile->setName("1cloned21");

    ContactReportCallback callback;
    phys::ContactPair pair;
    phys::ContactPairHeader header;
    header.actors[0] = freeBody;
    header.actors[1] = deathZone;
    pair.events = phys::PairFlag::NotifyTouchPersists | phys::PairFlag::NotifyTouchLost;
    callback.onContact(header, &pair, 1);
    EXPECT_FALSE(callback.dynamicFell);
    pair.events = phys::PairFlag::NotifyTouchFound;
    callback.onContact(header, &pair, 0);
    EXPECT_FALSE(callback.dynamicFell);

    header.actors[1] = tile;
    callback.onContact(header, &pair, 1);
    header.actors[1] = unnamed;
    callback.onContact(header, &pair, 1);
    EXPECT_FALSE(callback.dynamicFell);

    header.actors[0] = deathZone;  // either order matches
    header.actors[1] = freeBody;
    phys::ContactPair pairs[2];
    pairs[0].events = phys::PairFlag::NotifyTouchLost;
    pairs[1].events = phys::PairFlag::NotifyTouchFound | phys::PairFlag::NotifyContactPoints;
    callback.onContact(header, pairs, 2);
    EXPECT_TRUE(callback.dynamicFell);

    for (phys::RigidActor* actor : {static_cast<phys::RigidActor*>(freeBody), static_cast<phys::RigidActor*>(deathZone),
                                    static_cast<phys::RigidActor*>(tile), static_cast<phys::RigidActor*>(unnamed)})
        actor->release();
}

TEST(ContactReport, TouchIsFoundOncePersistsAndIsLost) {
    RecordingCallback callback;
    PhysicsTestWorld world(&callback, contactReportFilterShader);
    world.addHexTile({0.0f, 0.0f, 0.0f}, "hex");
    phys::RigidDynamic* box = world.addBox({0.0f, 1.05f, 0.0f}, UnitBox, "box");
    world.step(60);
    EXPECT_EQ(callback.count(phys::PairFlag::NotifyTouchFound), 1);
    EXPECT_GT(callback.count(phys::PairFlag::NotifyTouchPersists), 30);
    EXPECT_EQ(callback.count(phys::PairFlag::NotifyTouchLost), 0);
    EXPECT_EQ(callback.events.front().first + callback.events.front().second, "boxhex");

    box->setGlobalPose(phys::Pose({0.0f, 20.0f, 0.0f}));
    callback.events.clear();
    world.step();
    ASSERT_EQ(callback.events.size(), 1u);
    EXPECT_EQ(callback.events[0].events, phys::PairFlag::NotifyTouchLost);
    EXPECT_EQ(callback.events[0].contacts, 0u);
}

TEST(ContactReport, FilterIsAskedOncePerPairOfShapes) {
    filterCalls = 0;
    PhysicsTestWorld world(nullptr, countingShader);
    world.addHexTile({0.0f, 0.0f, 0.0f}, "hex");
    phys::RigidDynamic* box = world.addBox({0.0f, 3.0f, 0.0f}, UnitBox, "box");
    world.step(60);
    EXPECT_EQ(filterCalls, 1);
    for (int hop = 0; hop < 3; ++hop) {  // leave and come back: still the same pair
        box->setGlobalPose(phys::Pose({0.0f, 3.0f, 0.0f}));
        world.step(60);
    }
    EXPECT_EQ(filterCalls, 1);
    world.addBox({0.5f, 3.0f, 0.0f}, UnitBox, "second");
    world.step(60);
    EXPECT_EQ(filterCalls, 3);  // second/hex and second/box
}

TEST(ContactReport, PairWithoutSolveContactIsReportedButNotSolved) {
    RecordingCallback callback;
    PhysicsTestWorld world(&callback, ghostShader);
    world.addHexTile({0.0f, 0.0f, 0.0f}, "hex");
    phys::RigidDynamic* box = world.addBox({0.0f, 2.0f, 0.0f}, UnitBox, "box");
    world.step(90);
    EXPECT_LT(box->getGlobalPose().p.y, -5.0f);  // fell through the tile
    EXPECT_EQ(callback.count(phys::PairFlag::NotifyTouchFound), 1);
    EXPECT_EQ(callback.count(phys::PairFlag::NotifyTouchPersists | phys::PairFlag::NotifyTouchLost), 0);
}

TEST(ContactReport, KilledPairNeitherCollidesNorReports) {
    RecordingCallback callback;
    PhysicsTestWorld world(&callback, killShader);
    world.addHexTile({0.0f, 0.0f, 0.0f}, "hex");
    phys::RigidDynamic* box = world.addBox({0.0f, 2.0f, 0.0f}, UnitBox, "box");
    world.step(90);
    EXPECT_LT(box->getGlobalPose().p.y, -5.0f);
    EXPECT_TRUE(callback.events.empty());
}
