// The part every rigid actor shares: the actor and rigid-actor operations, forwarded to
// the BulletActor core that holds the Bullet body. Interface is RigidStatic or RigidDynamic.
#pragma once

#include "physics/BulletActor.h"
#include "physics/BulletScene.h"

namespace phys {

template <class Interface>
class BulletRigidActorImpl : public Interface {
public:
    void setName(const char* name) override { actor.setName(name); }
    const char* getName() const override { return actor.getName(); }
    void setActorFlag(ActorFlags flag, bool value) override { actor.setActorFlag(flag, value); }
    ActorFlags getActorFlags() const override { return actor.getActorFlags(); }
    Scene* getScene() const override { return actor.scene(); }
    void release() override {
        actor.prepareRelease();
        delete this;
    }

    Pose getGlobalPose() const override { return actor.getGlobalPose(); }
    void setGlobalPose(const Pose& pose, bool autowake = true) override { actor.setGlobalPose(pose, autowake); }
    bool attachShape(Shape* shape) override { return actor.attachShape(shape); }
    void detachShape(Shape* shape) override { actor.detachShape(shape); }
    uint32_t getNbShapes() const override { return actor.getNbShapes(); }
    uint32_t getShapes(Shape** buffer, uint32_t bufferSize, uint32_t startIndex = 0) const override {
        return actor.getShapes(buffer, bufferSize, startIndex);
    }

    BulletActor& core() { return actor; }

protected:
    BulletRigidActorImpl(BulletPhysics& physics, const Pose& pose, bool dynamic)
        : actor(physics, *this, pose, dynamic) {}
    ~BulletRigidActorImpl() override = default;
    BulletActor actor;
};

}  // namespace phys
