// Surface material. Two touching materials combine friction and restitution by their average.
#pragma once

namespace phys {

class Material {
public:
    virtual float getStaticFriction() const = 0;
    virtual float getDynamicFriction() const = 0;
    virtual float getRestitution() const = 0;
    // Drops the creator's reference; freed once no shape uses it either.
    virtual void release() = 0;
protected:
    virtual ~Material() = default;
};

}  // namespace phys
