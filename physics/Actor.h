// Base of every actor: a name and the actor flags.
// NOTE: the name pointer is kept, not copied; the text must outlive the actor.
#pragma once

#include "physics/PhysicsTypes.h"

namespace phys {

class Scene;

enum class ActorType { RigidStatic, RigidDynamic };

class Actor {
public:
    virtual ActorType getType() const = 0;
    virtual void setName(const char* name) = 0;
    virtual const char* getName() const = 0;  // null when never named
    // DisableSimulation takes the actor out of every contact and query until cleared.
    virtual void setActorFlag(ActorFlags flag, bool value) = 0;
    virtual ActorFlags getActorFlags() const = 0;
    virtual Scene* getScene() const = 0;  // null while in no scene
    // Removes the actor from its scene (if any) and frees it with its shapes.
    virtual void release() = 0;
protected:
    virtual ~Actor() = default;
};

}  // namespace phys
