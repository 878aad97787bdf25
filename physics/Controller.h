// A kinematic box character controller: collide-and-slide moves with a contact skin,
// step climbing and a slope limit. Its actor's local +x points along the up direction.
#pragma once

#include <glm/glm.hpp>

#include "physics/PhysicsTypes.h"

namespace phys {

class Material;
class RigidDynamic;
class RigidActor;

struct BoxControllerDesc {
    glm::dvec3 position{0.0};
    glm::vec3 upDirection{0.0f, 1.0f, 0.0f};
    float slopeLimit = 0.707f;      // cosine of the steepest walkable slope
    float contactOffset = 0.1f;
    float stepOffset = 0.5f;
    float density = 10.0f;
    NonWalkableMode nonWalkableMode = NonWalkableMode::PreventClimbing;
    Material* material = nullptr;
    float halfHeight = 1.0f;        // along the up direction
    float halfSideExtent = 0.5f;
    float halfForwardExtent = 0.5f;
    // Positive half extents, stepOffset <= 2 * halfHeight, a positive contact offset,
    // non-negative step offset, slope limit and density, a non-zero up direction.
    bool isValid() const;
};

struct ControllerFilters {
    const FilterData* filterData = nullptr;
    QueryFlags filterFlags = QueryFlag::Static | QueryFlag::Dynamic | QueryFlag::Prefilter;
};

struct ControllerState {
    ControllerCollisionFlags collisionFlags = 0;  // of the last move
    RigidActor* touchedActor = nullptr;           // what the last move's downward part hit
    Shape* touchedShape = nullptr;
};

class Controller {
public:
    virtual ControllerCollisionFlags move(const glm::vec3& displacement, float minDistance, float elapsedTime,
                                          const ControllerFilters& filters) = 0;
    virtual void getState(ControllerState& state) const = 0;
    virtual glm::dvec3 getPosition() const = 0;  // centre of the box
    virtual bool setPosition(const glm::dvec3& position) = 0;  // teleports
    virtual RigidDynamic* getActor() const = 0;  // the kinematic actor
    virtual glm::vec3 getUpDirection() const = 0;
    virtual float getContactOffset() const = 0;
    virtual float getStepOffset() const = 0;
    virtual void release() = 0;
protected:
    virtual ~Controller() = default;
};

}  // namespace phys
