// The static wall "wall1" that swings from side to side along x from level 2 on.
// Owns its actor, shape and material (set by its creator), and a model handed to it as its
// own (see GameObject::setModel); the base's destructor releases them.
#pragma once

#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"

namespace object {

class Wall : public GameObject {
public:
    float time;       // milliseconds summed over the updates
    float amplitude;  // half the width of the swing
    float baseX;      // centre of the swing

    Wall(std::string name, Shader* shader, glm::mat4 projection);

    void setView(glm::mat4 view) override;
    // Sets the actor's pose on the swing at the summed time and rebuilds modelMatrix.
    void update(float deltaMs) override;
};

}  // namespace object
