// The player: a scene object on a box character controller. Turns the held keys into a
// heading and a move, applies the death, ride and tile rules, and owns the free body
// "dynamic" that takes over on the goal tile. Owns its controller filters.
// NOTE: delete it before the level's scene is released: the destructor releases the
// controller with its actor and the filters, then the base the free body, its shape and
// material, and a model handed to the character as its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "objects/GameObject.h"
#include "physics/Controller.h"

namespace object {

class Hex;

class Character : public GameObject {
public:
    bool moveForward;
    bool turnLeft;
    bool turnRight;
    bool moveBackward;
    bool jump;
    bool dead;
    phys::Controller* controller;
    phys::ControllerFilters* controllerFilters;
    phys::ControllerCollisionFlags moveFlags;
    phys::ControllerState controllerState;
    int32_t visitedTargets;
    int32_t wrongSteps;
    bool allTargetsVisited;
    int32_t targetCount;
    bool goalReached;

    Character(std::string name, Shader* shader, glm::mat4 projection);
    ~Character() override;

    // Normal mode moves the controller and applies the tile rules; goal mode only shows
    // and pushes the free body. hexes is the caller's copy of the tile list.
    virtual void update(float deltaMs, std::vector<Hex*> hexes);
    using GameObject::update;

private:
    void applyGroundRules(float s, std::vector<Hex*>& hexes);
};

}  // namespace object

// Heading about the world up axis in radians; every new character starts at 0.
extern float characterYaw;
// Seconds left for holding a jump; back to the full time at every ground contact.
extern float jumpTimer;
// This update's move before the heading turns it: x stays 0, z is set per update,
// y carries over between updates and levels.
extern glm::vec3 moveDisplacement;

// Builds playerCharacter's controller and free body from its model bounds, on the
// globals physics and controllerManager. The caller adds the free body to the scene.
void InitCharacterPhysics();
