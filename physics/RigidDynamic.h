// A dynamic body; may also be kinematic (moved only by its target pose).
#pragma once

#include "physics/RigidBody.h"

namespace phys {

class RigidDynamic : public RigidBody {
public:
    virtual bool isKinematic() const = 0;
    virtual void setKinematic(bool kinematic) = 0;
    // Moves a kinematic body during the next step, pushing dynamic bodies in the way.
    virtual void setKinematicTarget(const Pose& target) = 0;
    virtual bool isSleeping() const = 0;
};

}  // namespace phys
