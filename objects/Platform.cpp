#include "objects/Platform.h"

#include <utility>

#include "physics/RigidStatic.h"

namespace object {

Platform::Platform(std::string name, Shader* shader, glm::mat4 projection)
    : GameObject(std::move(name), shader, projection) {}

void Platform::update(float deltaMs) {
    if (staticActor != nullptr) modelMatrix = toMat4(phys::Matrix44(staticActor->getGlobalPose()));
}

void Platform::initPhysics(phys::Physics* physics, const phys::Pose& pose) {
    createActor(physics, ActorKind::StaticMesh);
    if (staticActor == nullptr) return;
    staticActor->setActorFlag(phys::ActorFlag::DisableGravity, true);
    staticActor->setGlobalPose(pose, true);
}

}  // namespace object
