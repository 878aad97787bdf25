// One of the fifteen dynamic barrels "b1" to "b15" stacked on the platform.
// Owns its actor, shape and material, and a model handed to it as its own (see
// GameObject::setModel); the base's destructor releases them.
#pragma once

#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"

namespace object {

class Barrel : public GameObject {
public:
    Barrel(std::string name, Shader* shader, glm::mat4 projection);

    // modelMatrix = the body's pose, wherever the simulation left it.
    void update(float deltaMs) override;
    // A dynamic box of half the model's bounds at pose; the caller adds it to the scene.
    virtual void initPhysics(phys::Physics* physics, const phys::Pose& pose);
};

}  // namespace object

// Where barrel `index` (0 for "b1" .. 14 for "b15") of the pyramid stands, given the first
// barrel's position and the barrel's width (spacing along -z) and height: rows of 5, 4,
// 3, 2 and 1, each a barrel higher and half a barrel further along -z.
glm::vec3 PyramidPosition(int index, const glm::vec3& first, float width, float height);
