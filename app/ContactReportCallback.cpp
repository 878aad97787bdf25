#include "app/ContactReportCallback.h"

#include <cstring>

#include "objects/ActorNames.h"
#include "physics/Actor.h"

namespace {

using object::DeathZoneName;
using object::FreeBodyName;

bool hasName(const phys::Actor* actor, const char* name) {
    const char* actorName = actor ? actor->getName() : nullptr;
    return actorName && std::strcmp(actorName, name) == 0;
}

}  // namespace

void ContactReportCallback::onConstraintBreak(phys::ConstraintInfo*, uint32_t) {}

void ContactReportCallback::onWake(phys::Actor**, uint32_t) {}

void ContactReportCallback::onSleep(phys::Actor**, uint32_t) {}

void ContactReportCallback::onContact(const phys::ContactPairHeader& pairHeader, const phys::ContactPair* pairs,
                                      uint32_t nbPairs) {
    if (nbPairs == 0) return;
    const phys::Actor* first = pairHeader.actors[0];
    const phys::Actor* second = pairHeader.actors[1];
    for (uint32_t i = 0; i < nbPairs; ++i) {
        if (!(pairs[i].events & phys::PairFlag::NotifyTouchFound)) continue;
        if ((hasName(first, FreeBodyName) && hasName(second, DeathZoneName)) ||
            (hasName(first, DeathZoneName) && hasName(second, FreeBodyName))) {
            dynamicFell = true;
            return;
        }
    }
}

void ContactReportCallback::onTrigger(phys::TriggerPair*, uint32_t) {}

void ContactReportCallback::onAdvance(const phys::RigidBody* const*, const phys::Pose*, uint32_t) {}

phys::FilterFlags contactReportFilterShader(phys::FilterObjectAttributes, phys::FilterData,
                                            phys::FilterObjectAttributes, phys::FilterData,
                                            phys::PairFlags& pairFlags, const void*, uint32_t) {
    pairFlags = phys::PairFlag::SolveContact | phys::PairFlag::DetectDiscreteContact |
                phys::PairFlag::NotifyTouchFound | phys::PairFlag::NotifyTouchPersists |
                phys::PairFlag::NotifyTouchLost | phys::PairFlag::NotifyContactPoints;
    return phys::FilterFlag::Default;
}
