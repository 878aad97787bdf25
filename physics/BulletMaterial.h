// A surface material: friction and restitution, averaged with the other surface's
// values at every contact. Reference counted: the creator and each shape using it.
#pragma once

#include "physics/BulletRefCount.h"
#include "physics/Material.h"

namespace phys {

class BulletPhysics;

class BulletMaterial final : public Material {
public:
    BulletMaterial(BulletPhysics& physics, float staticFriction, float dynamicFriction, float restitution);
    ~BulletMaterial() override;

    float getStaticFriction() const override { return staticFriction; }
    float getDynamicFriction() const override { return dynamicFriction; }
    float getRestitution() const override { return restitution; }
    void release() override;

    void acquire() { refs.acquire(); }
    void drop();

private:
    BulletPhysics& physics;
    float staticFriction;
    float dynamicFriction;
    float restitution;
    BulletRefCount refs;
};

}  // namespace phys
