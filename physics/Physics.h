// The physics engine object: creates materials, actors, shapes and scenes. One per process.
#pragma once

#include <cstdint>

#include "physics/Geometry.h"
#include "physics/PhysicsTypes.h"

namespace phys {

class Foundation;
class Material;
class RigidStatic;
class RigidDynamic;
class Shape;
class Scene;
struct SceneDesc;

class Physics {
public:
    virtual ~Physics() = default;
    virtual const ToleranceScale& getTolerancesScale() const = 0;
    virtual Material* createMaterial(float staticFriction, float dynamicFriction, float restitution) = 0;
    // Null, with an error report, for a non-finite pose.
    virtual RigidStatic* createRigidStatic(const Pose& pose) = 0;
    virtual RigidDynamic* createRigidDynamic(const Pose& pose) = 0;
    // Null, with an error report, for a box of non-positive extent or a mesh geometry without mesh.
    virtual Shape* createShape(const Geometry& geometry, Material* material, bool isExclusive = false,
                               ShapeFlags flags = ShapeFlag::SimulationShape | ShapeFlag::SceneQueryShape |
                                                  ShapeFlag::Visualization) = 0;
    virtual Scene* createScene(const SceneDesc& desc) = 0;
    // Cooked triangle meshes still alive (not yet released by their creator and all shapes).
    virtual uint32_t getNbTriangleMeshes() const = 0;
    virtual void release() = 0;
};

// Null when the foundation is missing.
Physics* createPhysics(Foundation* foundation, const ToleranceScale& scale = ToleranceScale());

}  // namespace phys
