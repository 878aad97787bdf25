// A static actor: collides but never moves by itself; the game may still set its pose.
#pragma once

#include "physics/BulletActor.h"
#include "physics/RigidStatic.h"

namespace phys {

class BulletRigidStatic final : public RigidStatic {
public:
    BulletRigidStatic(BulletPhysics& physics, const Pose& pose) : actor(physics, *this, pose, false) {}

    ActorType getType() const override { return ActorType::RigidStatic; }
    void setName(const char* name) override { actor.setName(name); }
    const char* getName() const override { return actor.getName(); }
    void setActorFlag(ActorFlags flag, bool value) override { actor.setActorFlag(flag, value); }
    ActorFlags getActorFlags() const override { return actor.getActorFlags(); }
    Scene* getScene() const override;
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

private:
    ~BulletRigidStatic() override = default;
    BulletActor actor;
};

}  // namespace phys
