// A collision shape: its Bullet geometry, material, local pose, flags and filter data.
// Reference counted: the creator and every actor it is attached to hold a reference;
// it holds a reference on its material and triangle mesh.
#pragma once

#include <memory>
#include <vector>

#include <BulletCollision/CollisionShapes/btCollisionShape.h>
#include <LinearMath/btTransform.h>

#include "physics/BulletRefCount.h"
#include "physics/Shape.h"

namespace phys {

class BulletActor;
class BulletMaterial;
class BulletPhysics;

class BulletShape final : public Shape {
public:
    // The geometry must have been checked by the caller.
    BulletShape(BulletPhysics& physics, const Geometry& geometry, BulletMaterial& material, bool exclusive,
                ShapeFlags flags);
    ~BulletShape() override;

    const Geometry& getGeometry() const override { return geometry; }
    Material* getMaterial() const override;
    void setLocalPose(const Pose& pose) override;
    Pose getLocalPose() const override { return localPose; }
    void setFlag(ShapeFlags flag, bool value) override;
    ShapeFlags getFlags() const override { return flags; }
    RigidActor* getActor() const override;
    void setSimulationFilterData(const FilterData& data) override { filterData = data; }
    FilterData getSimulationFilterData() const override { return filterData; }
    void release() override;

    void acquire() { refs.acquire(); }
    void drop();
    bool isExclusive() const { return exclusive; }
    bool isAttached() const { return !owners.empty(); }
    void attachedTo(BulletActor& actor);
    void detachedFrom(BulletActor& actor);

    btCollisionShape& collisionShape() const { return *bulletShape; }
    const BulletMaterial& material() const { return *surface; }
    btTransform localTransform() const;
    // A mesh shape's triangle normal in the shape's frame; zero for other geometry.
    btVector3 triangleNormal(int triangle) const;
    bool simulates() const { return (flags & ShapeFlag::SimulationShape) != 0; }
    bool answersQueries() const { return (flags & ShapeFlag::SceneQueryShape) != 0; }

    // Bullet's collision margin for a box: small next to its extents.
    static float boxMargin(const glm::vec3& halfExtents);

private:
    BulletPhysics& physics;
    Geometry geometry;
    BulletMaterial* surface;
    bool exclusive;
    ShapeFlags flags;
    Pose localPose;
    FilterData filterData;
    std::unique_ptr<btCollisionShape> ownedShape;  // box, plane or scaled mesh
    btCollisionShape* bulletShape = nullptr;
    std::vector<BulletActor*> owners;
    BulletRefCount refs;
};

}  // namespace phys
