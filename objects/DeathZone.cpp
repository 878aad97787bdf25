#include "objects/DeathZone.h"

#include <cmath>

#include <glm/gtc/constants.hpp>

#include "objects/ActorNames.h"
#include "physics/Geometry.h"
#include "physics/Material.h"
#include "physics/Physics.h"
#include "physics/RigidStatic.h"
#include "physics/Shape.h"

namespace {

const glm::vec3 DeathZonePosition(0.0f, -55.0f, 0.0f);
constexpr float DeathZoneMaterial = 0.5f;  // static friction, dynamic friction and restitution

}  // namespace

namespace object {

phys::RigidStatic* CreateDeathZone(phys::Physics& physics) {
    phys::Material* material = physics.createMaterial(DeathZoneMaterial, DeathZoneMaterial, DeathZoneMaterial);
    // A quarter turn about +z turns the plane's +x normal up: solid below y = -55.
    const float halfAngle = glm::quarter_pi<float>();
    const glm::quat rotation(std::cos(halfAngle), 0.0f, 0.0f, std::sin(halfAngle));
    phys::RigidStatic* zone = physics.createRigidStatic(phys::Pose(DeathZonePosition, rotation));
    phys::Shape* shape = physics.createShape(
        phys::Geometry::plane(), material, false,
        phys::ShapeFlag::Visualization | phys::ShapeFlag::SimulationShape | phys::ShapeFlag::SceneQueryShape);
    zone->attachShape(shape);
    zone->setName(DeathZoneName);
    shape->release();
    material->release();
    return zone;
}

}  // namespace object
