// A simulated world: actors under gravity, stepped with a fixed time step.
#pragma once

#include "physics/PhysicsTypes.h"

namespace phys {

class Actor;
class SimulationEventCallback;

struct SceneDesc {
    glm::vec3 gravity{0.0f};
    uint32_t workerThreads = 1;
    FilterShader filterShader = nullptr;                    // null: every pair solves contacts, no reports
    SimulationEventCallback* simulationEventCallback = nullptr;
};

class Scene {
public:
    virtual void setGravity(const glm::vec3& gravity) = 0;
    virtual glm::vec3 getGravity() const = 0;
    // An actor belongs to at most one scene; adding it twice is reported and ignored.
    virtual bool addActor(Actor& actor) = 0;
    virtual void removeActor(Actor& actor) = 0;
    virtual uint32_t getNbActors() const = 0;
    virtual Actor* getActor(uint32_t index) const = 0;  // in the order they were added
    // One fixed step per simulate/fetchResults pair.
    virtual void simulate(float elapsedTime) = 0;
    // Contact reports reach the event callback inside this call, on the calling thread.
    virtual bool fetchResults(bool block = true) = 0;
    // Frees the scene with every actor, shape and controller manager it holds.
    virtual void release() = 0;
protected:
    virtual ~Scene() = default;
};

}  // namespace phys
