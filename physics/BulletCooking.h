// Turns triangle-mesh descriptions into collision meshes, checking them first.
#pragma once

#include "physics/Cooking.h"

namespace phys {

class BulletPhysics;

class BulletCooking final : public Cooking {
public:
    explicit BulletCooking(BulletPhysics& physics);
    TriangleMesh* createTriangleMesh(const TriangleMeshDesc& desc) override;
    void release() override;

private:
    BulletPhysics& physics;
};

}  // namespace phys
