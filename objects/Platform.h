// The static block "right" that carries the barrel pyramid.
// Owns its actor, shape and material, and its model unless that is lent (see
// GameObject::setModel).
#pragma once

#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"

namespace object {

class Platform : public GameObject {
public:
    Platform(std::string name, Shader* shader, glm::mat4 projection);
    // NOTE: delete it before releasing the scene that holds its actor.
    ~Platform() override;

    void update(float deltaMs) override;
    // A static triangle-mesh actor at pose; the caller adds it to the scene.
    virtual void initPhysics(phys::Physics* physics, const phys::Pose& pose);
};

}  // namespace object
