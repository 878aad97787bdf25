// The scene's simulation event callback: raises dynamicFell when the character's free
// body ("dynamic") first touches the death zone ("deathZone"). Holds no scene pointer,
// so one instance serves every level's scene in turn.
#pragma once

#include "physics/PhysicsTypes.h"
#include "physics/SimulationEventCallback.h"

class ContactReportCallback : public phys::SimulationEventCallback {
public:
    // Set by onContact; cleared by the game-over pass of the main loop.
    bool dynamicFell = false;

    ContactReportCallback() = default;
    void onConstraintBreak(phys::ConstraintInfo* constraints, uint32_t count) override;
    void onWake(phys::Actor** actors, uint32_t count) override;
    void onSleep(phys::Actor** actors, uint32_t count) override;
    void onContact(const phys::ContactPairHeader& pairHeader, const phys::ContactPair* pairs,
                   uint32_t nbPairs) override;
    void onTrigger(phys::TriggerPair* pairs, uint32_t count) override;
    void onAdvance(const phys::RigidBody* const* bodyBuffer, const phys::Pose* poseBuffer, uint32_t count) override;
};

// The scene's filter shader: solve and report touches, with contact points, for every pair.
phys::FilterFlags contactReportFilterShader(phys::FilterObjectAttributes attributes0, phys::FilterData filterData0,
                                            phys::FilterObjectAttributes attributes1, phys::FilterData filterData1,
                                            phys::PairFlags& pairFlags, const void* constantBlock,
                                            uint32_t constantBlockSize);
