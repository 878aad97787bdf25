#include "objects/Wall.h"

#include <cmath>
#include <utility>

#include "physics/RigidActor.h"

namespace {

constexpr float SwingAmplitude = 25.0f;
constexpr float SwingRate = 0.001f;  // radians per millisecond: one swing in 6283 ms

}  // namespace

namespace object {

Wall::Wall(std::string name, Shader* shader, glm::mat4 projection)
    : GameObject(std::move(name), shader, projection), time(0.0f), amplitude(SwingAmplitude), baseX(0.0f) {}

void Wall::setView(glm::mat4 view) {
    projectionViewMatrix = projectionMatrix * view;
}

void Wall::update(float deltaMs) {
    time = time + deltaMs;
    if (staticActor == nullptr) return;
    const glm::vec3 p = staticActor->getGlobalPose().p;
    const float x = std::sin(time * SwingRate) * amplitude + baseX;
    staticActor->setGlobalPose(phys::Pose(glm::vec3(x, p.y, p.z), glm::quat(1.0f, 0.0f, 0.0f, 0.0f)), true);
    modelMatrix = toMat4(phys::Matrix44(staticActor->getGlobalPose()));
}

}  // namespace object
