// An actor with a global pose and shapes.
#pragma once

#include "physics/Actor.h"

namespace phys {

class Shape;

class RigidActor : public Actor {
public:
    virtual Pose getGlobalPose() const = 0;
    // Static actors may be moved too: their collision bounds follow.
    virtual void setGlobalPose(const Pose& pose, bool autowake = true) = 0;
    virtual bool attachShape(Shape* shape) = 0;
    virtual void detachShape(Shape* shape) = 0;
    virtual uint32_t getNbShapes() const = 0;
    // Copies up to bufferSize shapes from startIndex; returns how many were written.
    virtual uint32_t getShapes(Shape** buffer, uint32_t bufferSize, uint32_t startIndex = 0) const = 0;
};

}  // namespace phys
