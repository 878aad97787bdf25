#include "physics/BulletRigidStatic.h"

#include "physics/BulletScene.h"

namespace phys {

Scene* BulletRigidStatic::getScene() const { return actor.scene(); }

}  // namespace phys
