// The static block "right" that carries the barrel pyramid.
// Owns its actor, shape and material, and a model handed to it as its own (see
// GameObject::setModel); the base's destructor releases them.
#pragma once

#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"

namespace object {

class Platform : public GameObject {
public:
    Platform(std::string name, Shader* shader, glm::mat4 projection);

    void update(float deltaMs) override;
    // A static triangle-mesh actor at pose; the caller adds it to the scene.
    virtual void initPhysics(phys::Physics* physics, const phys::Pose& pose);
};

}  // namespace object
