#include "physics/BulletRigidDynamic.h"

#include "physics/BulletScene.h"

namespace phys {

Scene* BulletRigidDynamic::getScene() const { return actor.scene(); }

}  // namespace phys
