// A dynamic actor (mass 1, unit inertia until set otherwise), or a kinematic one that
// moves only to the poses it is given and pushes dynamic bodies out of its way.
#pragma once

#include "physics/BulletRigidActorImpl.h"
#include "physics/RigidDynamic.h"

namespace phys {

class BulletRigidDynamic final : public BulletRigidActorImpl<RigidDynamic> {
public:
    BulletRigidDynamic(BulletPhysics& physics, const Pose& pose) : BulletRigidActorImpl(physics, pose, true) {}
    ActorType getType() const override { return ActorType::RigidDynamic; }

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

private:
    ~BulletRigidDynamic() override = default;
};

}  // namespace phys
