#include "objects/Character.h"

#include <cmath>
#include <cstring>
#include <iostream>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>

#include "app/Globals.h"
#include "objects/ActorNames.h"
#include "objects/CharacterControllerDesc.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "objects/ParticleObject.h"
#include "physics/ControllerManager.h"
#include "physics/Material.h"
#include "physics/Physics.h"
#include "physics/RigidDynamic.h"
#include "physics/Shape.h"

float characterYaw = 0.0f;
float jumpTimer = 3.0f;
glm::vec3 moveDisplacement(0.0f);

namespace {

constexpr float JumpTime = 3.0f;          // seconds a held jump may lift in the air
constexpr float TurnRate = 2.0f;          // radians per second
constexpr float WalkSpeed = 10.0f;        // units per second
constexpr float FallAcceleration = 98.1f; // units per second squared, in the air
constexpr float GroundPush = 9.81f;       // keeps the box pressed onto what it stands on
// A held jump rises at the same speed whatever the frame time: the lift a 17 ms frame
// (a 60 Hz refresh in whole milliseconds) always gave, 400 x 0.017 units per second.
constexpr float JumpLiftSpeed = 400.0f * 0.017f;
constexpr float GoalPush = 0.05f;         // impulse per millisecond of frame time
constexpr float MinMoveDistance = 1e-9f;

constexpr const char* ControllerActorName = "character";
const glm::dvec3 ControllerStart(0.0, 10.0, -34.0);
const glm::vec3 FreeBodyStart(0.0f, 10.0f, -43.0f);

}  // namespace

namespace object {

Character::Character(std::string name, Shader* shader, glm::mat4 projection)
    : GameObject(std::move(name), shader, projection),
      moveForward(false),
      turnLeft(false),
      turnRight(false),
      moveBackward(false),
      jump(false),
      dead(false),
      controller(nullptr),
      controllerFilters(new phys::ControllerFilters()),
      moveFlags(0),
      controllerState(),
      visitedTargets(0),
      wrongSteps(0),
      allTargetsVisited(false),
      targetCount(0),
      goalReached(false) {
    characterYaw = 0.0f;
}

Character::~Character() {
    // The controller owns its actor: it goes with the controller, before the base would
    // release it as the character's own.
    staticActor = nullptr;
    if (controller) controller->release();
    controller = nullptr;
    delete controllerFilters;
}

void Character::update(float deltaMs, std::vector<Hex*> hexes) {
    if (goalReached) {
        modelMatrix = toMat4(phys::Matrix44(dynamicActor->getGlobalPose()));
        dynamicActor->addForce(glm::vec3(deltaMs * -1.0f * GoalPush, 0.0f, 0.0f), phys::ForceMode::Impulse, true);
        return;
    }
    // A model without extent on some axis gets no controller: nothing to move.
    if (!controller) return;

    const float s = deltaMs / 1000.0f;

    controller->getState(controllerState);
    moveDisplacement.x = 0.0f;
    moveDisplacement.z = 0.0f;

    phys::RigidDynamic* controllerActor = controller->getActor();
    phys::Shape* controllerShape = nullptr;
    controllerActor->getShapes(&controllerShape, 1, 0);

    // Reversing turns the other way, as a car does.
    if (!moveBackward) {
        if (turnRight) characterYaw -= TurnRate * s;
        if (turnLeft) characterYaw += TurnRate * s;
    } else {
        if (turnRight) characterYaw += TurnRate * s;
        if (turnLeft) characterYaw -= TurnRate * s;
    }

    // The actor's local x axis is the world up axis, so the box turns about local x.
    const float h = characterYaw * 0.5f;
    if (controllerShape)
        controllerShape->setLocalPose(phys::Pose(glm::vec3(0.0f), glm::quat(std::cos(h), std::sin(h), 0.0f, 0.0f)));

    if (jumpTimer < 0.0f) jump = false;

    if (moveForward) moveDisplacement.z = WalkSpeed * s;
    if (moveBackward) moveDisplacement.z = -WalkSpeed * s;

    const phys::ControllerCollisionFlags flags = controllerState.collisionFlags;
    if (flags == phys::ControllerCollisionFlag::Down) {
        applyGroundRules(s, hexes);
    } else if (flags == 0) {
        moveDisplacement.y += s * (-FallAcceleration * s);
    }

    if (jumpTimer >= 0.0f && jump) moveDisplacement.y = JumpLiftSpeed * s;
    if (jump && flags == 0) jumpTimer -= s;

    const glm::quat heading(std::cos(h), 0.0f, std::sin(h), 0.0f);
    const glm::vec3 displacement = heading * moveDisplacement;
    moveFlags = controller->move(displacement, MinMoveDistance, s, *controllerFilters);

    modelMatrix = glm::rotate(toMat4(phys::Matrix44(controllerActor->getGlobalPose())), characterYaw,
                              glm::vec3(1.0f, 0.0f, 0.0f));

    if (wrongSteps > 2) {
        dead = true;
        wrongSteps = 0;
    }
    if (visitedTargets == targetCount) allTargetsVisited = true;
}

void Character::applyGroundRules(float s, std::vector<Hex*>& hexes) {
    jumpTimer = JumpTime;

    phys::RigidActor* touched = controllerState.touchedActor;
    if (!touched) return;

    // An actor without a name matches no rule but still gets the ground push.
    const char* touchedName = touched->getName();
    if (!touchedName) {
        moveDisplacement.y = s * -GroundPush;
        return;
    }

    if (std::strcmp(touchedName, DeathZoneName) == 0) dead = true;
    if (std::strcmp(touchedName, WallName) == 0) dead = true;

    if (std::strstr(touchedName, MovingTileWord)) {
        // Ride the tile along z; no ground push while riding.
        const glm::dvec3 position = controller->getPosition();
        controller->setPosition(glm::dvec3(position.x, position.y, static_cast<double>(touched->getGlobalPose().p.z)));
    } else {
        moveDisplacement.y = s * -GroundPush;
    }

    for (Hex* tile : hexes) {
        if (tile->visited || tile->name != touchedName) continue;
        tile->visited = true;
        if (tile->burst) tile->burst->active = true;

        if (tile->isTarget && tile->hexColor != HexColor::Visited) {
            tile->hexColor = HexColor::Visited;
            ++visitedTargets;
        } else if (tile->isGoal) {
            // Takes effect from the next update: this one still moves the controller.
            goalReached = true;
            dynamicActor->setGlobalPose(staticActor->getGlobalPose(), true);
            dynamicActor->setActorFlag(phys::ActorFlag::DisableGravity, false);
            dynamicActor->setActorFlag(phys::ActorFlag::DisableSimulation, false);
        } else if (!tile->isTarget) {
            tile->hexColor = HexColor::Wrong;
            ++wrongSteps;
        }
    }
}

}  // namespace object

void InitCharacterPhysics() {
    object::Character* character = playerCharacter;
    const glm::vec3 size = character->boundsMax - character->boundsMin;

    phys::Material* controllerMaterial = physics->createMaterial(0.5f, 0.5f, 0.5f);
    character->material = controllerMaterial;

    phys::BoxControllerDesc desc = object::CharacterControllerDesc(size, ControllerStart);
    desc.material = controllerMaterial;

    character->controller = controllerManager->createController(desc);
    // The controller's box holds the material from here on; drop the creator's reference so
    // that it goes with the controller.
    controllerMaterial->release();
    if (character->controller) {
        character->staticActor = character->controller->getActor();
        character->staticActor->setName(ControllerActorName);
    } else {
        std::cerr << "Character: no controller for a model of extent (" << size.x << ", " << size.y << ", "
                  << size.z << ")" << std::endl;
    }

    // The controller keeps using its material; the free body gets its own.
    phys::Material* bodyMaterial = physics->createMaterial(0.01f, 0.01f, 0.01f);
    character->material = bodyMaterial;

    character->dynamicActor = physics->createRigidDynamic(phys::Pose(FreeBodyStart));
    character->dynamicActor->setName(object::FreeBodyName);

    const glm::vec3 halfExtents(static_cast<float>(static_cast<double>(size.x) / 1.5),
                                static_cast<float>(static_cast<double>(size.y) / 1.5),
                                static_cast<float>(static_cast<double>(size.z) / 1.5));
    character->shape = physics->createShape(
        phys::Geometry::box(halfExtents), bodyMaterial, false,
        phys::ShapeFlag::SimulationShape | phys::ShapeFlag::SceneQueryShape | phys::ShapeFlag::Visualization);
    if (character->shape) {
        character->shape->setFlag(phys::ShapeFlag::SimulationShape, true);
        character->dynamicActor->attachShape(character->shape);
    }

    // Neither falls nor collides until the goal tile hands over to it.
    character->dynamicActor->setActorFlag(phys::ActorFlag::DisableGravity, true);
    character->dynamicActor->setActorFlag(phys::ActorFlag::DisableSimulation, true);
}
