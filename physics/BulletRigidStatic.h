// A static actor: collides but never moves by itself; the game may still set its pose.
#pragma once

#include "physics/BulletRigidActorImpl.h"
#include "physics/RigidStatic.h"

namespace phys {

class BulletRigidStatic final : public BulletRigidActorImpl<RigidStatic> {
public:
    BulletRigidStatic(BulletPhysics& physics, const Pose& pose) : BulletRigidActorImpl(physics, pose, false) {}
    ActorType getType() const override { return ActorType::RigidStatic; }

private:
    ~BulletRigidStatic() override = default;
};

}  // namespace phys
