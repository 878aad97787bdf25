#include "physics/BulletShape.h"

#include <algorithm>

#include <BulletCollision/CollisionShapes/btBoxShape.h>
#include <BulletCollision/CollisionShapes/btScaledBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btStaticPlaneShape.h>

#include "physics/BulletActor.h"
#include "physics/BulletConvert.h"
#include "physics/BulletMaterial.h"
#include "physics/BulletPhysics.h"
#include "physics/BulletTriangleMesh.h"
#include "physics/Foundation.h"

namespace phys {

namespace {
// Bullet's default convex margin; boxes smaller than five margins get a smaller one.
constexpr float DefaultBoxMargin = 0.04f;
constexpr float MarginShareOfExtent = 0.2f;
}  // namespace

float BulletShape::boxMargin(const glm::vec3& halfExtents) {
    const float smallest = std::min(halfExtents.x, std::min(halfExtents.y, halfExtents.z));
    return std::min(DefaultBoxMargin, smallest * MarginShareOfExtent);
}

BulletShape::BulletShape(BulletPhysics& physics, const Geometry& geometry, BulletMaterial& material, bool exclusive,
                         ShapeFlags flags)
    : physics(physics), geometry(geometry), surface(&material), exclusive(exclusive), flags(flags) {
    surface->acquire();
    switch (geometry.type) {
    case GeometryType::Box: {
        auto box = std::make_unique<btBoxShape>(toBt(geometry.halfExtents));
        box->setMargin(boxMargin(geometry.halfExtents));
        // Face-clipped contacts against triangles instead of single GJK points: boxes rest flat on meshes.
        box->initializePolyhedralFeatures();
        ownedShape = std::move(box);
        bulletShape = ownedShape.get();
        break;
    }
    case GeometryType::Plane:
        // The solid half-space x <= 0 of the actor's frame.
        ownedShape = std::make_unique<btStaticPlaneShape>(btVector3(1, 0, 0), btScalar(0));
        bulletShape = ownedShape.get();
        break;
    case GeometryType::TriangleMesh: {
        auto* mesh = static_cast<BulletTriangleMesh*>(geometry.triangleMesh);
        mesh->acquire();
        if (geometry.meshScale == glm::vec3(1.0f)) {
            bulletShape = &mesh->shape();
        } else {
            ownedShape = std::make_unique<btScaledBvhTriangleMeshShape>(&mesh->shape(), toBt(geometry.meshScale));
            bulletShape = ownedShape.get();
        }
        break;
    }
    }
    physics.track(this);
}

BulletShape::~BulletShape() {
    ownedShape.reset();
    if (geometry.type == GeometryType::TriangleMesh) static_cast<BulletTriangleMesh*>(geometry.triangleMesh)->drop();
    surface->drop();
    physics.untrack(this);
}

Material* BulletShape::getMaterial() const { return surface; }

void BulletShape::setLocalPose(const Pose& pose) {
    if (!pose.isValid()) {
        reportError(ErrorCode::InvalidParameter, "Shape::setLocalPose: the pose is not valid.", __FILE__, __LINE__);
        return;
    }
    // The game sets the heading every frame; an unchanged pose needs no rebuild.
    if (pose.p == localPose.p && pose.q == localPose.q) return;
    localPose = pose;
    for (BulletActor* actor : owners) actor->shapeMoved(*this);
}

void BulletShape::setFlag(ShapeFlags flag, bool value) {
    const ShapeFlags before = flags;
    flags = value ? ShapeFlags(flags | flag) : ShapeFlags(flags & ~flag);
    if ((before ^ flags) & ShapeFlag::SimulationShape)
        for (BulletActor* actor : owners) actor->shapeFilteringChanged();
}

RigidActor* BulletShape::getActor() const { return owners.size() == 1 ? &owners.front()->owner() : nullptr; }

void BulletShape::release() {
    bool last = false;
    if (!refs.dropCreator(last)) {
        reportError(ErrorCode::InvalidOperation, "Shape::release: the shape was already released.", __FILE__,
                    __LINE__);
        return;
    }
    if (last) delete this;
}

void BulletShape::drop() {
    if (refs.drop()) delete this;
}

void BulletShape::attachedTo(BulletActor& actor) {
    owners.push_back(&actor);
    acquire();
}

void BulletShape::detachedFrom(BulletActor& actor) {
    owners.erase(std::remove(owners.begin(), owners.end(), &actor), owners.end());
    drop();
}

btTransform BulletShape::localTransform() const { return toBt(localPose); }

btVector3 BulletShape::triangleNormal(int triangle) const {
    if (geometry.type != GeometryType::TriangleMesh) return btVector3(0, 0, 0);
    const auto* mesh = static_cast<const BulletTriangleMesh*>(geometry.triangleMesh);
    return mesh->triangleNormal(triangle, toBt(geometry.meshScale));
}

}  // namespace phys
