// A box character controller on a kinematic actor: each move sweeps the box up (by the step
// offset when walking), sideways with sliding, then down, keeping the contact offset as a skin.
// Steep slopes are never climbed (in either non-walkable mode); dynamic bodies are pushed aside.
// NOTE: the controller owns its actor; releasing the controller releases the actor.
#pragma once

#include <BulletCollision/CollisionShapes/btBoxShape.h>
#include <LinearMath/btTransform.h>

#include "physics/Controller.h"

namespace phys {

class BulletActor;
class BulletControllerManager;
class BulletRigidDynamic;
class BulletScene;
class BulletShape;

class BulletController final : public Controller {
public:
    // The description must be valid.
    BulletController(BulletControllerManager& manager, const BoxControllerDesc& desc);

    ControllerCollisionFlags move(const glm::vec3& displacement, float minDistance, float elapsedTime,
                                  const ControllerFilters& filters) override;
    void getState(ControllerState& out) const override { out = state; }
    glm::dvec3 getPosition() const override { return position; }
    bool setPosition(const glm::dvec3& position) override;
    RigidDynamic* getActor() const override;
    glm::vec3 getUpDirection() const override { return upDirection; }
    float getContactOffset() const override { return contactOffset; }
    float getStepOffset() const override { return stepOffset; }
    void release() override;

private:
    ~BulletController() override;

    struct SweepHit {
        float distance = 0.0f;
        btVector3 normal{0, 0, 0};
        BulletActor* actor = nullptr;
        BulletShape* shape = nullptr;
    };
    struct MoveResult {
        btVector3 position;
        ControllerCollisionFlags flags = 0;
        bool grounded = false;
        SweepHit ground;
    };
    // The box a sweep moves: the real one, or for the sideways pass one reaching down to
    // just above the floor, so that steps higher than the step offset block.
    struct SweepBox {
        btBoxShape shape;
        btTransform offset;  // from the shape's frame to the box's centre
        SweepBox(const btVector3& halfExtents, const btTransform& offset, float margin)
            : shape(halfExtents), offset(offset) {
            shape.setMargin(margin);
        }
    };

    // Pushes the box out of static and kinematic shapes that moved into it, to the contact
    // offset. NOTE: a mesh pushes only from the side its triangles face (counter-clockwise
    // corners), so static meshes must face outwards, as the game's models do.
    btVector3 recoverFromOverlaps(const btVector3& centre, QueryFlags filterFlags) const;
    MoveResult runPasses(const btVector3& start, const btVector3& side, float upAmount, float stepUp, float minDistance,
                         QueryFlags filterFlags) const;
    bool sweep(const SweepBox& box, const btVector3& centre, const btVector3& direction, float length,
               bool includePushable, QueryFlags filterFlags, SweepHit& hit) const;
    // How far a move along the direction may go before the skin touches what the sweep hit.
    float allowedDistance(const SweepHit& hit, const btVector3& direction) const;
    btVector3 slideDirection(const btVector3& rest, const btVector3& normal) const;
    bool isWalkable(const btVector3& normal) const;
    btTransform shapeTransformAt(const btVector3& centre) const;
    SweepBox makeSweepBox(bool reachDown) const;
    btTransform actorTransform() const;

    BulletControllerManager& manager;
    BulletScene& scene;
    BulletRigidDynamic* actor = nullptr;
    BulletShape* shape = nullptr;
    glm::dvec3 position;
    glm::vec3 upDirection;
    btVector3 up;
    btQuaternion frame;  // turns +x onto the up direction
    float slopeLimit;
    float contactOffset;
    float stepOffset;
    btVector3 halfExtents;
    ControllerState state;
};

}  // namespace phys
