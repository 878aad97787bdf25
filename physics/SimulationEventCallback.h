// The scene's event sink. Contact reports are delivered on the thread that fetches
// the step's results, once per actor pair that had events in that step.
#pragma once

#include "physics/PhysicsTypes.h"

namespace phys {

class RigidBody;

class SimulationEventCallback {
public:
    virtual void onConstraintBreak(ConstraintInfo* constraints, uint32_t count) = 0;
    virtual void onWake(Actor** actors, uint32_t count) = 0;
    virtual void onSleep(Actor** actors, uint32_t count) = 0;
    virtual void onContact(const ContactPairHeader& pairHeader, const ContactPair* pairs, uint32_t nbPairs) = 0;
    virtual void onTrigger(TriggerPair* pairs, uint32_t count) = 0;
    virtual void onAdvance(const RigidBody* const* bodyBuffer, const Pose* poseBuffer, uint32_t count) = 0;
    virtual ~SimulationEventCallback() = default;
};

}  // namespace phys
