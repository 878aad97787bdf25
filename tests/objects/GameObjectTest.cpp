// The scene-object base without a window: the accumulated translation, the two kinds of
// physics actor it builds on the real physics layer, and that no scene object is copied.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <type_traits>

#include <glm/gtc/matrix_transform.hpp>

#include "objects/Barrel.h"
#include "objects/Character.h"
#include "objects/GameObject.h"
#include "objects/Hex.h"
#include "objects/Matchfield.h"
#include "objects/ObjectsTestSupport.h"
#include "objects/ParticleObject.h"
#include "objects/Platform.h"
#include "objects/Wall.h"
#include "physics/Material.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Shape.h"

namespace {

// A copy would release the actor, the burst, the controller filters and an owned model twice.
template <typename... Objects>
constexpr bool NoneCopyable = ((!std::is_copy_constructible_v<Objects> && !std::is_copy_assignable_v<Objects>) && ...);
static_assert(NoneCopyable<object::GameObject, object::Barrel, object::Character, object::Hex, object::Matchfield,
                           object::ParticleObject, object::Platform, object::Wall>,
              "scene objects cannot be copied");

void ExpectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << c << ", " << r;
    }
}

TEST(GameObjectTranslate, SecondCallMultipliesByTwiceTheVector) {
    object::GameObject object("thing", nullptr, glm::mat4(1.0f));
    object.modelMatrix = glm::mat4(1.0f);
    const glm::vec3 v(1.0f, -2.0f, 3.0f);
    object.translate(v);
    EXPECT_EQ(object.getPosition(), v);
    object.translate(v);
    // translationMatrix already held v, so the model matrix takes 2v on top of v.
    ExpectMatrixNear(object.modelMatrix, glm::translate(glm::mat4(1.0f), 3.0f * v));
    ExpectMatrixNear(object.translationMatrix, glm::translate(glm::mat4(1.0f), 2.0f * v));
}

TEST(GameObjectMatrix, PoseMatrixKeepsColumnOrder) {
    object::GameObject object("thing", nullptr, glm::mat4(1.0f));
    const glm::quat q = glm::angleAxis(0.7f, glm::normalize(glm::vec3(1.0f, 2.0f, 3.0f)));
    const phys::Pose pose(glm::vec3(4.0f, -5.0f, 6.0f), q);
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), pose.p) * glm::mat4_cast(q);
    ExpectMatrixNear(object.toMat4(phys::Matrix44(pose)), expected);
}

using CreateActorTest = objtest::SceneTest;

TEST_F(CreateActorTest, StaticMeshHasTheCookedMeshANewMaterialAndAHalfTurn) {
    object::GameObject object("tile", nullptr, glm::mat4(1.0f));
    object.triangleMesh = objtest::CookBox(glm::vec3(-1.0f), glm::vec3(1.0f));
    ASSERT_NE(object.triangleMesh, nullptr);
    object.createActor(physics, ActorKind::StaticMesh);

    ASSERT_NE(object.staticActor, nullptr);
    EXPECT_EQ(object.dynamicActor, nullptr);
    EXPECT_EQ(object.staticActor->getName(), object.name.c_str());
    EXPECT_EQ(object.staticActor->getScene(), nullptr);
    ASSERT_NE(object.material, nullptr);
    EXPECT_FLOAT_EQ(object.material->getStaticFriction(), 0.5f);
    EXPECT_FLOAT_EQ(object.material->getDynamicFriction(), 0.5f);
    EXPECT_FLOAT_EQ(object.material->getRestitution(), 0.5f);

    ASSERT_NE(object.shape, nullptr);
    EXPECT_EQ(object.shape->getActor(), object.staticActor);
    EXPECT_EQ(object.shape->getGeometry().type, phys::GeometryType::TriangleMesh);
    EXPECT_EQ(object.shape->getGeometry().triangleMesh, object.triangleMesh);
    EXPECT_EQ(object.shape->getMaterial(), object.material);
    EXPECT_EQ(object.shape->getFlags(), 0x0B);

    const phys::Pose pose = object.staticActor->getGlobalPose();
    EXPECT_EQ(pose.p, glm::vec3(0.0f));
    EXPECT_NEAR(std::fabs(pose.q.y), 1.0f, 1e-6f);  // a half turn about +Y
    EXPECT_NEAR(pose.q.x, 0.0f, 1e-6f);
    EXPECT_NEAR(pose.q.z, 0.0f, 1e-6f);
    EXPECT_NEAR(pose.q.w, 0.0f, 1e-6f);
    object.triangleMesh->release();  // written directly, so still the test's
}

TEST_F(CreateActorTest, StaticMeshKeepsAMaterialSetBefore) {
    object::GameObject object("wall1", nullptr, glm::mat4(1.0f));
    object.triangleMesh = objtest::CookBox(glm::vec3(-1.0f), glm::vec3(1.0f));
    phys::Material* own = physics->createMaterial(1.0f, 1.0f, 1.0f);
    object.material = own;
    object.createActor(physics, ActorKind::StaticMesh);
    EXPECT_EQ(object.material, own);
    ASSERT_NE(object.shape, nullptr);
    EXPECT_EQ(object.shape->getMaterial(), own);
    object.triangleMesh->release();
}

TEST_F(CreateActorTest, DynamicBoxHasHalfTheBoundsAndAlwaysANewMaterial) {
    object::GameObject object("b1", nullptr, glm::mat4(1.0f));
    object.setBounds(-1.0f, 0.0f, -2.0f, 1.0f, 3.0f, 2.0f);
    phys::Material* before = physics->createMaterial(1.0f, 1.0f, 1.0f);
    object.material = before;
    object.createActor(physics, ActorKind::DynamicBox);

    ASSERT_NE(object.dynamicActor, nullptr);
    EXPECT_EQ(object.staticActor, nullptr);
    EXPECT_EQ(object.dynamicActor->getName(), object.name.c_str());
    ASSERT_NE(object.material, nullptr);
    EXPECT_NE(object.material, before);
    EXPECT_FLOAT_EQ(object.material->getStaticFriction(), 0.01f);
    EXPECT_FLOAT_EQ(object.material->getRestitution(), 0.01f);
    ASSERT_NE(object.shape, nullptr);
    EXPECT_EQ(object.shape->getGeometry().type, phys::GeometryType::Box);
    EXPECT_EQ(object.shape->getGeometry().halfExtents, glm::vec3(1.0f, 1.5f, 2.0f));
    EXPECT_EQ(object.shape->getActor(), object.dynamicActor);
    before->release();
}

TEST_F(CreateActorTest, OtherKindsCreateNothing) {
    for (int kind : {1, 2, 4, -1}) {
        object::GameObject object("thing", nullptr, glm::mat4(1.0f));
        object.setBounds(-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f);
        object.createActor(physics, kind);
        EXPECT_EQ(object.staticActor, nullptr) << kind;
        EXPECT_EQ(object.dynamicActor, nullptr) << kind;
        EXPECT_EQ(object.material, nullptr) << kind;
        EXPECT_EQ(object.shape, nullptr) << kind;
    }
}

}  // namespace
