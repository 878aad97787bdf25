// The death zone: a bare static plane under the field, named DeathZoneName, that ends the
// run when the character or its free body comes to it. Built by the level set-up and by
// the physics benchmark alike.
#pragma once

namespace phys {
class Physics;
class RigidStatic;
}  // namespace phys

namespace object {

// A new death zone, not yet in any scene.
// NOTE: the actor holds its shape and the shape its material; releasing the actor, or the
// scene it was added to, frees all three.
phys::RigidStatic* CreateDeathZone(phys::Physics& physics);

}  // namespace object
