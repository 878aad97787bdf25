#include "objects/Hex.h"

#include <cmath>
#include <utility>

#include "objects/ParticleObject.h"
#include "physics/RigidActor.h"

namespace {

constexpr float SwingRate = 1e-5f;  // radians of swing phase per millisecond of tile clock
constexpr float SwingPeriodMs = 628318.53f;  // 2 pi / SwingRate
const glm::quat NoRotation(1.0f, 0.0f, 0.0f, 0.0f);

}  // namespace

namespace object {

float Hex::hexTime = 0.0f;

Hex::Hex(std::string name, Shader* shader, glm::mat4 projection, Mesh burstMesh)
    : GameObject(std::move(name), shader, projection),
      burstMesh(std::move(burstMesh)),
      burst(nullptr),
      isGoal(false),
      isMoving(false),
      hexColor(HexColor::None),
      isTarget(false),
      visited(false),
      baseZ(0.0f),
      amplitude(0.0f) {}

Hex::~Hex() {
    delete burst;
}

void Hex::init(phys::Physics* physics, const glm::vec3& position, phys::Cooking* cooking) {
    createActor(physics, ActorKind::StaticMesh);
    // Every tile stands unrotated, whatever createActor gave it.
    const phys::Pose pose(position, NoRotation);
    if (staticActor != nullptr) staticActor->setGlobalPose(pose, true);
    const phys::Pose placed = staticActor != nullptr ? staticActor->getGlobalPose() : pose;
    burst = new ParticleObject("particlesystem", shader, projectionMatrix, toMat4(phys::Matrix44(placed)), physics,
                               cooking);
    baseZ = position.z;
}

void Hex::update(float deltaMs) {
    // Advances on every tile update, so the swing speeds up with the number of tiles.
    hexTime += deltaMs;
    // A float clock that only grows would stop advancing after about an hour and a half of
    // play (17 ms no longer changes it), freezing every moving tile: keep it within one
    // swing period, which leaves the swing itself unchanged.
    if (hexTime >= SwingPeriodMs) hexTime = std::fmod(hexTime, SwingPeriodMs);
    if (staticActor != nullptr) {
        if (isMoving) {
            const glm::vec3 p = staticActor->getGlobalPose().p;
            const float z = std::sin(hexTime * SwingRate) * amplitude + baseZ;
            staticActor->setGlobalPose(phys::Pose(glm::vec3(p.x, p.y, z), NoRotation), true);
        }
        modelMatrix = toMat4(phys::Matrix44(staticActor->getGlobalPose()));
    }
    if (burst != nullptr) burst->update(deltaMs);
}

void Hex::setView(glm::mat4 view) {
    projectionViewMatrix = projectionMatrix * view;
    if (burst != nullptr) burst->setView(view);
}

void Hex::draw(float gamma) {
    GameObject::draw(gamma);
    if (burst != nullptr) burst->draw();
}

int32_t Hex::drawColor() const {
    return hexColor;
}

}  // namespace object
