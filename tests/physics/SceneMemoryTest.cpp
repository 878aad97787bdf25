// Building and releasing a level's worth of physics objects over and over keeps the
// process's memory flat: the scene frees its actors, shapes and controller managers.
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "PhysicsTestWorld.h"
#include "TestSupport.h"
#include "app/ContactReportCallback.h"
#include "physics/Controller.h"
#include "physics/ControllerManager.h"

namespace {

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// One level: 100 tiles on one shared mesh, a platform, 15 boxes, the controller with its
// free body, the death zone; a few steps; then everything released as a level change does.
void buildAndReleaseLevel(ContactReportCallback& callback) {
    test::PhysicsTestWorld world(&callback, contactReportFilterShader);
    for (int i = 0; i < 100; ++i)
        world.addHexTile({test::TileWidth * float(i % 10), 1.0f, 6.0f * float(i / 10)}, "tile");
    world.addBlock({-32.0f, 0.0f, 5.0f}, {8.0f, 1.0f, 12.0f}, "right");
    for (int i = 0; i < 15; ++i) world.addBox({-30.0f, 2.5f + 2.4f * float(i / 5), 3.0f - 2.0f * float(i % 5)}, {1.0f, 1.2f, 1.0f}, "b");
    phys::RigidDynamic* freeBody = world.addBox({0.0f, 10.0f, -43.0f}, {2.6f, 1.3f, 1.0f}, "dynamic");
    freeBody->setActorFlag(phys::ActorFlag::DisableSimulation, true);
    world.addDeathZone(-55.0f);
    phys::ControllerManager* manager = phys::createControllerManager(&world.scene());
    phys::BoxControllerDesc desc;
    desc.position = {0.0, 10.0, 0.0};
    phys::Controller* controller = manager->createController(desc);
    for (int i = 0; i < 5; ++i) {
        world.step();
        controller->move({0.1f, -0.2f, 0.0f}, 1e-9f, test::StepSeconds, phys::ControllerFilters());
    }
}

}  // namespace

TEST(SceneMemory, TwoHundredLevelsKeepMemoryFlat) {
    if (testsupport::MemoryFiguresAreSkewed()) GTEST_SKIP() << "resident size means nothing under a sanitizer";
    ContactReportCallback callback;
    for (int i = 0; i < 20; ++i) buildAndReleaseLevel(callback);
    const long before = residentKilobytes();
    for (int i = 0; i < 200; ++i) buildAndReleaseLevel(callback);
    const long grown = residentKilobytes() - before;
    RecordProperty("residentGrowthKb", int(grown));
    EXPECT_LT(grown, 3 * 1024) << "grew by " << grown << " kB";
}
