// An actor with mass that the simulation moves.
#pragma once

#include "physics/RigidActor.h"

namespace phys {

class RigidBody : public RigidActor {
public:
    // A new body has mass 1 and unit inertia.
    virtual float getMass() const = 0;
    virtual void setMass(float mass) = 0;
    virtual glm::vec3 getLinearVelocity() const = 0;
    virtual void setLinearVelocity(const glm::vec3& velocity, bool autowake = true) = 0;
    virtual glm::vec3 getAngularVelocity() const = 0;
    virtual void addForce(const glm::vec3& force, ForceMode mode = ForceMode::Force, bool autowake = true) = 0;
};

}  // namespace phys
