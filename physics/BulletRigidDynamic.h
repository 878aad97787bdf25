// A dynamic actor (mass 1, unit inertia until set otherwise), or a kinematic one that
// moves only to the poses it is given and pushes dynamic bodies out of its way.
#pragma once

#include "physics/BulletActor.h"
#include "physics/RigidDynamic.h"

namespace phys {

class BulletRigidDynamic final : public RigidDynamic {
public:
    BulletRigidDynamic(BulletPhysics& physics, const Pose& pose) : actor(physics, *this, pose, true) {}

    ActorType getType() const override { return ActorType::RigidDynamic; }
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

    float getMass() const override { return actor.getMass(); }
    void setMass(float mass) override { actor.setMass(mass); }
    glm::vec3 getLinearVelocity() const override { return actor.getLinearVelocity(); }
    void setLinearVelocity(const glm::vec3& velocity, bool autowake = true) override {
        actor.setLinearVelocity(velocity, autowake);
    }
    glm::vec3 getAngularVelocity() const override { return actor.getAngularVelocity(); }
    void addForce(const glm::vec3& force, ForceMode mode = ForceMode::Force, bool autowake = true) override {
        actor.addForce(force, mode, autowake);
    }

    bool isKinematic() const override { return actor.isKinematic(); }
    void setKinematic(bool kinematic) override { actor.setKinematic(kinematic); }
    void setKinematicTarget(const Pose& target) override { actor.setKinematicTarget(target); }
    bool isSleeping() const override { return actor.isSleeping(); }

    BulletActor& core() { return actor; }

private:
    ~BulletRigidDynamic() override = default;
    BulletActor actor;
};

}  // namespace phys
