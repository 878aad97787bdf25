// The player's box controller as the game builds it, for a model of the given extent: the
// physics tests and the step benchmark use the same numbers as the game.
#pragma once

#include <glm/glm.hpp>

#include "physics/Controller.h"

namespace object {

// modelSize is the character model's bounds extent; the box is narrower than the model
// so that the character fits between the tiles' rims.
inline phys::BoxControllerDesc CharacterControllerDesc(const glm::vec3& modelSize, const glm::dvec3& position) {
    phys::BoxControllerDesc desc;
    desc.position = position;
    desc.upDirection = glm::vec3(0.0f, 1.0f, 0.0f);
    desc.slopeLimit = 0.2f;
    desc.contactOffset = 0.1f;
    desc.stepOffset = 0.01f;
    desc.density = 100.0f;
    desc.nonWalkableMode = phys::NonWalkableMode::PreventClimbing;
    desc.halfHeight = static_cast<float>(static_cast<double>(modelSize.x) / 2.1);
    desc.halfSideExtent = static_cast<float>(static_cast<double>(modelSize.y) / 1.5);
    desc.halfForwardExtent = static_cast<float>(static_cast<double>(modelSize.z) / 1.5);
    return desc;
}

}  // namespace object
