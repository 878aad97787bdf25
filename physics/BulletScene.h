// A simulated world on a Bullet dynamics world: the actors added to it, the pair filter
// with its contact reports, and the controller managers made for it.
// NOTE: the scene owns every actor added to it and frees them (and its controller
// managers) on release; shapes go with their last reference.
#pragma once

#include <memory>
#include <vector>

#include <btBulletDynamicsCommon.h>

#include "physics/BulletPairTable.h"
#include "physics/Scene.h"

namespace phys {

class BulletActor;
class BulletControllerManager;
class BulletPhysics;
class BulletShape;

class BulletScene final : public Scene {
public:
    BulletScene(BulletPhysics& physics, const SceneDesc& desc);
    ~BulletScene() override;

    void setGravity(const glm::vec3& gravity) override;
    glm::vec3 getGravity() const override { return gravity; }
    bool addActor(Actor& actor) override;
    void removeActor(Actor& actor) override;
    uint32_t getNbActors() const override { return uint32_t(actors.size()); }
    Actor* getActor(uint32_t index) const override;
    void simulate(float elapsedTime) override;
    bool fetchResults(bool block = true) override;
    void release() override;

    BulletPhysics& physics() const { return owner; }
    btDiscreteDynamicsWorld& world() { return *dynamicsWorld; }
    const btDiscreteDynamicsWorld& world() const { return *dynamicsWorld; }
    BulletPairTable& pairs() { return pairTable; }

    // Called by actors as they change.
    void detachActor(BulletActor& actor);
    void insertBody(BulletActor& actor);
    void withdrawBody(BulletActor& actor);
    void collisionShapeChanged(BulletActor& actor);
    void boundsChanged(BulletActor& actor);
    void shapeDetached(const BulletShape& shape);
    void refilter(BulletActor& actor);

    void adoptControllerManager(BulletControllerManager* manager);
    void forgetControllerManager(BulletControllerManager* manager);

private:
    class PairFilter;
    class Dispatcher;

    BulletPhysics& owner;
    glm::vec3 gravity;
    SimulationEventCallback* eventCallback;
    BulletPairTable pairTable;
    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;
    std::unique_ptr<Dispatcher> dispatcher;
    std::unique_ptr<btDbvtBroadphase> broadphase;
    std::unique_ptr<PairFilter> pairFilter;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btDiscreteDynamicsWorld> dynamicsWorld;
    std::vector<BulletActor*> actors;
    std::vector<BulletControllerManager*> controllerManagers;
    bool stepPending = false;
};

}  // namespace phys
