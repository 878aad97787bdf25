#include "physics/BulletMaterial.h"

#include "physics/BulletPhysics.h"
#include "physics/Foundation.h"

namespace phys {

BulletMaterial::BulletMaterial(BulletPhysics& physics, float staticFriction, float dynamicFriction, float restitution)
    : physics(physics), staticFriction(staticFriction), dynamicFriction(dynamicFriction), restitution(restitution) {
    physics.track(this);
}

BulletMaterial::~BulletMaterial() { physics.untrack(this); }

void BulletMaterial::release() {
    bool last = false;
    if (!refs.dropCreator(last)) {
        reportError(ErrorCode::InvalidOperation, "Material::release: the material was already released.", __FILE__,
                    __LINE__);
        return;
    }
    if (last) delete this;
}

void BulletMaterial::drop() {
    if (refs.drop()) delete this;
}

}  // namespace phys
