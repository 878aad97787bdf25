// A collision shape with its material, attached to one actor at a local pose.
#pragma once

#include "physics/Geometry.h"
#include "physics/PhysicsTypes.h"

namespace phys {

class Material;
class RigidActor;

class Shape {
public:
    virtual const Geometry& getGeometry() const = 0;
    virtual Material* getMaterial() const = 0;
    virtual void setLocalPose(const Pose& pose) = 0;
    virtual Pose getLocalPose() const = 0;
    virtual void setFlag(ShapeFlags flag, bool value) = 0;
    virtual ShapeFlags getFlags() const = 0;
    virtual RigidActor* getActor() const = 0;  // null while not attached
    virtual void setSimulationFilterData(const FilterData& data) = 0;
    virtual FilterData getSimulationFilterData() const = 0;
    // Drops the creator's reference; freed once no actor holds it either.
    virtual void release() = 0;
protected:
    virtual ~Shape() = default;
};

}  // namespace phys
