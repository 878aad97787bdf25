#include "objects/Barrel.h"

#include <utility>

#include "physics/RigidDynamic.h"

namespace {

constexpr int PyramidBaseCount = 5;

}  // namespace

namespace object {

Barrel::Barrel(std::string name, Shader* shader, glm::mat4 projection)
    : GameObject(std::move(name), shader, projection) {}

void Barrel::update(float deltaMs) {
    if (dynamicActor != nullptr) modelMatrix = toMat4(phys::Matrix44(dynamicActor->getGlobalPose()));
}

void Barrel::initPhysics(phys::Physics* physics, const phys::Pose& pose) {
    createActor(physics, ActorKind::DynamicBox);
    if (dynamicActor != nullptr) dynamicActor->setGlobalPose(pose, true);
}

}  // namespace object

glm::vec3 PyramidPosition(int index, const glm::vec3& first, float width, float height) {
    int row = 0;
    int inRow = index;
    while (row < PyramidBaseCount - 1 && inRow >= PyramidBaseCount - row) {
        inRow -= PyramidBaseCount - row;
        ++row;
    }
    const float along = 0.5f * static_cast<float>(row) + static_cast<float>(inRow);
    return glm::vec3(first.x, first.y + static_cast<float>(row) * height, first.z - along * width);
}
