// The process's one physics object: makes materials, actors, shapes and scenes and keeps
// a register of every live one, so that its release frees whatever is left.
#pragma once

#include <unordered_set>

#include "physics/Physics.h"

namespace phys {

class BulletActor;
class BulletMaterial;
class BulletScene;
class BulletShape;
class BulletTriangleMesh;

class BulletPhysics final : public Physics {
public:
    explicit BulletPhysics(const ToleranceScale& scale);
    ~BulletPhysics() override;

    const ToleranceScale& getTolerancesScale() const override { return scale; }
    Material* createMaterial(float staticFriction, float dynamicFriction, float restitution) override;
    RigidStatic* createRigidStatic(const Pose& pose) override;
    RigidDynamic* createRigidDynamic(const Pose& pose) override;
    Shape* createShape(const Geometry& geometry, Material* material, bool isExclusive = false,
                       ShapeFlags flags = ShapeFlag::SimulationShape | ShapeFlag::SceneQueryShape |
                                          ShapeFlag::Visualization) override;
    Scene* createScene(const SceneDesc& desc) override;
    uint32_t getNbTriangleMeshes() const override { return uint32_t(meshes.size()); }
    void release() override;

    // The material of shapes made without one of their own (a controller without material).
    BulletMaterial& defaultMaterial();

    void track(BulletMaterial* material) { materials.insert(material); }
    void untrack(BulletMaterial* material) { materials.erase(material); }
    void track(BulletTriangleMesh* mesh) { meshes.insert(mesh); }
    void untrack(BulletTriangleMesh* mesh) { meshes.erase(mesh); }
    void track(BulletShape* shape) { shapes.insert(shape); }
    void untrack(BulletShape* shape) { shapes.erase(shape); }
    void track(BulletActor* actor) { actors.insert(actor); }
    void untrack(BulletActor* actor) { actors.erase(actor); }
    void track(BulletScene* scene) { scenes.insert(scene); }
    void untrack(BulletScene* scene) { scenes.erase(scene); }

private:
    ToleranceScale scale;
    BulletMaterial* fallbackMaterial = nullptr;
    std::unordered_set<BulletMaterial*> materials;
    std::unordered_set<BulletTriangleMesh*> meshes;
    std::unordered_set<BulletShape*> shapes;
    std::unordered_set<BulletActor*> actors;
    std::unordered_set<BulletScene*> scenes;
};

}  // namespace phys
