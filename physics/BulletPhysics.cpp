#include "physics/BulletPhysics.h"

#include <cmath>

#include <BulletCollision/CollisionDispatch/btManifoldResult.h>

#include "physics/BulletActor.h"
#include "physics/BulletConvert.h"
#include "physics/BulletFoundation.h"
#include "physics/BulletMaterial.h"
#include "physics/BulletPairTable.h"
#include "physics/BulletRigidDynamic.h"
#include "physics/BulletRigidStatic.h"
#include "physics/BulletScene.h"
#include "physics/BulletShape.h"
#include "physics/BulletTriangleMesh.h"

namespace phys {

namespace {
BulletPhysics* livePhysics = nullptr;

// The friction and restitution of a material the layer needs itself.
constexpr float FallbackFriction = 0.5f;
constexpr float FallbackRestitution = 0.5f;
}  // namespace

BulletPhysics::BulletPhysics(const ToleranceScale& scale) : scale(scale) {
    livePhysics = this;
    gContactAddedCallback = &BulletPairTable::onContactAdded;
}

BulletPhysics::~BulletPhysics() {
    while (!scenes.empty()) (*scenes.begin())->release();
    while (!actors.empty()) (*actors.begin())->owner().release();
    // What is left is held only by creators that never released it.
    while (!shapes.empty()) delete *shapes.begin();
    while (!meshes.empty()) delete *meshes.begin();
    while (!materials.empty()) delete *materials.begin();
    gContactAddedCallback = nullptr;
    if (livePhysics == this) livePhysics = nullptr;
}

Material* BulletPhysics::createMaterial(float staticFriction, float dynamicFriction, float restitution) {
    const bool valid = std::isfinite(staticFriction) && std::isfinite(dynamicFriction) && std::isfinite(restitution) &&
                       staticFriction >= 0.0f && dynamicFriction >= 0.0f && restitution >= 0.0f && restitution <= 1.0f;
    if (!valid) {
        reportError(ErrorCode::InvalidParameter,
                    "Physics::createMaterial: friction must be non-negative and restitution within [0, 1].", __FILE__,
                    __LINE__);
        return nullptr;
    }
    return new BulletMaterial(*this, staticFriction, dynamicFriction, restitution);
}

RigidStatic* BulletPhysics::createRigidStatic(const Pose& pose) {
    if (!pose.isValid()) {
        reportError(ErrorCode::InvalidParameter, "Physics::createRigidStatic: the pose is not valid.", __FILE__,
                    __LINE__);
        return nullptr;
    }
    return new BulletRigidStatic(*this, pose);
}

RigidDynamic* BulletPhysics::createRigidDynamic(const Pose& pose) {
    if (!pose.isValid()) {
        reportError(ErrorCode::InvalidParameter, "Physics::createRigidDynamic: the pose is not valid.", __FILE__,
                    __LINE__);
        return nullptr;
    }
    return new BulletRigidDynamic(*this, pose);
}

Shape* BulletPhysics::createShape(const Geometry& geometry, Material* material, bool isExclusive, ShapeFlags flags) {
    if (!material) {
        reportError(ErrorCode::InvalidParameter, "Physics::createShape: no material given.", __FILE__, __LINE__);
        return nullptr;
    }
    switch (geometry.type) {
    case GeometryType::Box:
        if (!isFinite(geometry.halfExtents) || glm::any(glm::lessThanEqual(geometry.halfExtents, glm::vec3(0.0f)))) {
            reportError(ErrorCode::InvalidParameter,
                        "Physics::createShape: a box needs positive, finite half extents.", __FILE__, __LINE__);
            return nullptr;
        }
        break;
    case GeometryType::Plane:
        break;
    case GeometryType::TriangleMesh:
        if (!geometry.triangleMesh) {
            reportError(ErrorCode::InvalidParameter, "Physics::createShape: a triangle-mesh geometry without a mesh.",
                        __FILE__, __LINE__);
            return nullptr;
        }
        if (!isFinite(geometry.meshScale) || glm::any(glm::lessThanEqual(geometry.meshScale, glm::vec3(0.0f)))) {
            reportError(ErrorCode::InvalidParameter, "Physics::createShape: a mesh scale must be positive and finite.",
                        __FILE__, __LINE__);
            return nullptr;
        }
        break;
    }
    return new BulletShape(*this, geometry, *static_cast<BulletMaterial*>(material), isExclusive, flags);
}

Scene* BulletPhysics::createScene(const SceneDesc& desc) {
    if (!isFinite(desc.gravity)) {
        reportError(ErrorCode::InvalidParameter, "Physics::createScene: the gravity is not finite.", __FILE__,
                    __LINE__);
        return nullptr;
    }
    return new BulletScene(*this, desc);
}

void BulletPhysics::release() { delete this; }

BulletMaterial& BulletPhysics::defaultMaterial() {
    if (!fallbackMaterial)
        fallbackMaterial = new BulletMaterial(*this, FallbackFriction, FallbackFriction, FallbackRestitution);
    return *fallbackMaterial;
}

Physics* createPhysics(Foundation* foundation, const ToleranceScale& scale) {
    if (!foundation || foundation != BulletFoundation::instance()) return nullptr;
    if (livePhysics) {
        reportError(ErrorCode::InvalidOperation, "createPhysics: a physics object exists already.", __FILE__, __LINE__);
        return nullptr;
    }
    return new BulletPhysics(scale);
}

}  // namespace phys
