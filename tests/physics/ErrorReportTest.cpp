// Misuse of the physics layer is reported through the foundation's error callback as one
// line in the game's format, and the call is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <string>

#include "PhysicsTestWorld.h"
#include "app/PhysXErrorCallback.h"
#include "physics/ControllerManager.h"
#include "physics/Controller.h"
#include "physics/Geometry.h"

namespace {

// Runs an action and returns what it printed.
template <class Action>
std::string printedBy(Action action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

// One line: code, message, then "from" the layer's source file and its line, no blanks between.
void expectErrorLine(const std::string& printed, int code) {
    const std::regex line("PHYSX-ERROR\\[" + std::to_string(code) + "\\]: [^\\n]+from[^ \\n]*physics/[A-Za-z]+\\.cpp@ line: [1-9][0-9]*\\n");
    EXPECT_TRUE(std::regex_match(printed, line)) << printed;
}

}  // namespace

TEST(ErrorReport, CallbackPrintsTheLineExactly) {
    service::PhysXErrorCallback callback;
    EXPECT_EQ(printedBy([&] { callback.reportError(phys::ErrorCode::InvalidOperation, "bad call. ", "src/x.cpp", 0); }),
              "PHYSX-ERROR[8]: bad call. fromsrc/x.cpp@ line: 0\n");
    EXPECT_EQ(printedBy([&] { callback.reportError(phys::ErrorCode::PerfWarning, "slow", "a.cpp", 1234); }),
              "PHYSX-ERROR[128]: slowfroma.cpp@ line: 1234\n");
}

TEST(ErrorReport, BadPosesAndShapesAreRefused) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    phys::RigidStatic* actor = nullptr;
    expectErrorLine(printedBy([&] { actor = test::physics().createRigidStatic(phys::Pose({0.0f, nan, 0.0f})); }), 4);
    EXPECT_EQ(actor, nullptr);
    phys::RigidDynamic* body = nullptr;
    expectErrorLine(printedBy([&] {
        body = test::physics().createRigidDynamic(phys::Pose(glm::vec3(0.0f), glm::quat(2.0f, 0.0f, 0.0f, 0.0f)));
    }), 4);
    EXPECT_EQ(body, nullptr);

    phys::Material* material = test::physics().createMaterial(0.5f, 0.5f, 0.5f);
    phys::Shape* shape = nullptr;
    expectErrorLine(printedBy([&] { shape = test::physics().createShape(phys::Geometry::box({1.0f, 0.0f, 1.0f}), material); }), 4);
    EXPECT_EQ(shape, nullptr);
    expectErrorLine(printedBy([&] { shape = test::physics().createShape(phys::Geometry::mesh(nullptr), material); }), 4);
    EXPECT_EQ(shape, nullptr);
    material->release();

    test::PhysicsTestWorld world;
    phys::RigidDynamic* box = world.addBox({0.0f, 1.0f, 0.0f}, glm::vec3(0.5f), "box");
    expectErrorLine(printedBy([&] { box->setGlobalPose(phys::Pose({std::numeric_limits<float>::infinity(), 0.0f, 0.0f})); }), 4);
    EXPECT_EQ(box->getGlobalPose().p, glm::vec3(0.0f, 1.0f, 0.0f));
}

TEST(ErrorReport, ActorAddedTwiceIsReportedAndIgnored) {
    test::PhysicsTestWorld world;
    phys::RigidStatic* tile = world.addHexTile({0.0f, 0.0f, 0.0f}, "hex");
    bool added = true;
    expectErrorLine(printedBy([&] { added = world.scene().addActor(*tile); }), 8);
    EXPECT_FALSE(added);
    EXPECT_EQ(world.scene().getNbActors(), 1u);

    test::PhysicsTestWorld other;
    expectErrorLine(printedBy([&] { added = other.scene().addActor(*tile); }), 8);
    EXPECT_FALSE(added);
    EXPECT_EQ(other.scene().getNbActors(), 0u);
}

TEST(ErrorReport, EmptyOrMalformedTriangleMeshIsRefused) {
    phys::TriangleMeshDesc desc;
    phys::TriangleMesh* mesh = nullptr;
    expectErrorLine(printedBy([&] { mesh = test::cooking().createTriangleMesh(desc); }), 4);
    EXPECT_EQ(mesh, nullptr);

    const float points[] = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    const uint32_t indices[] = {0, 1, 3};
    desc.points.count = 3;
    desc.points.data = points;
    desc.triangles.count = 1;
    desc.triangles.data = indices;
    expectErrorLine(printedBy([&] { mesh = test::cooking().createTriangleMesh(desc); }), 4);
    EXPECT_EQ(mesh, nullptr);

    const uint32_t good[] = {0, 1, 2};
    desc.triangles.data = good;
    EXPECT_EQ(printedBy([&] { mesh = test::cooking().createTriangleMesh(desc); }), "");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->getNbTriangles(), 1u);
    EXPECT_EQ(mesh->getLocalBoundsMax(), glm::vec3(1.0f, 0.0f, 1.0f));
    mesh->release();
}

TEST(ErrorReport, InvalidControllerDescriptionIsRefused) {
    test::PhysicsTestWorld world;
    phys::ControllerManager* manager = phys::createControllerManager(&world.scene());
    phys::BoxControllerDesc desc;
    desc.halfHeight = 1.0f;
    for (auto spoil : {+[](phys::BoxControllerDesc& d) { d.halfSideExtent = 0.0f; },
                       +[](phys::BoxControllerDesc& d) { d.halfForwardExtent = -1.0f; },
                       +[](phys::BoxControllerDesc& d) { d.stepOffset = 2.5f; }}) {
        phys::BoxControllerDesc bad = desc;
        spoil(bad);
        EXPECT_FALSE(bad.isValid());
        phys::Controller* controller = nullptr;
        expectErrorLine(printedBy([&] { controller = manager->createController(bad); }), 4);
        EXPECT_EQ(controller, nullptr);
    }
    desc.stepOffset = 2.0f;  // exactly twice the half height is allowed
    EXPECT_TRUE(desc.isValid());
    EXPECT_EQ(manager->getNbControllers(), 0u);
    EXPECT_EQ(world.scene().getNbActors(), 0u);
}
