// The engine side of one rigid actor: its Bullet body, the shapes attached to it, its
// name and flags, and its scene. The static and dynamic actor classes forward to it.
// NOTE: the actor holds a reference on each attached shape; the name text is borrowed.
#pragma once

#include <memory>
#include <vector>

#include <BulletCollision/CollisionShapes/btCompoundShape.h>
#include <BulletCollision/CollisionShapes/btEmptyShape.h>
#include <BulletDynamics/Dynamics/btRigidBody.h>

#include "physics/RigidActor.h"

namespace phys {

class BulletPhysics;
class BulletScene;
class BulletShape;

class BulletActor {
public:
    BulletActor(BulletPhysics& physics, RigidActor& owner, const Pose& pose, bool dynamic);
    ~BulletActor();
    BulletActor(const BulletActor&) = delete;
    BulletActor& operator=(const BulletActor&) = delete;

    // The public object this core belongs to, and back.
    RigidActor& owner() const { return self; }
    static BulletActor* of(const btCollisionObject* object);
    static BulletActor* of(Actor* actor);

    bool isDynamic() const { return dynamic; }
    bool isKinematic() const { return kinematic; }

    // Actor
    void setName(const char* text) { name = text; }
    const char* getName() const { return name; }
    void setActorFlag(ActorFlags flag, bool value);
    ActorFlags getActorFlags() const { return flags; }
    BulletScene* scene() const { return owningScene; }
    // Takes the actor out of its scene and lets go of its shapes, before it is freed.
    void prepareRelease();

    // RigidActor
    Pose getGlobalPose() const;
    void setGlobalPose(const Pose& pose, bool autowake);
    bool attachShape(Shape* shape);
    void detachShape(Shape* shape);
    uint32_t getNbShapes() const { return uint32_t(attached.size()); }
    uint32_t getShapes(Shape** buffer, uint32_t bufferSize, uint32_t startIndex) const;

    // RigidBody and RigidDynamic
    float getMass() const { return mass; }
    void setMass(float value);
    glm::vec3 getLinearVelocity() const;
    void setLinearVelocity(const glm::vec3& velocity, bool autowake);
    glm::vec3 getAngularVelocity() const;
    void addForce(const glm::vec3& force, ForceMode mode, bool autowake);
    void setKinematic(bool value);
    void setKinematicTarget(const Pose& target);
    bool isSleeping() const;

    // Engine side, for the scene and the controller.
    btRigidBody& body() { return *rigidBody; }
    const btRigidBody& body() const { return *rigidBody; }
    void joinScene(BulletScene* scene) { owningScene = scene; }
    bool isSimulated() const { return owningScene && !(flags & ActorFlag::DisableSimulation); }
    const std::vector<BulletShape*>& shapes() const { return attached; }
    // The shape behind a child index of the body's collision shape (0 without a compound).
    BulletShape* shapeOfChild(int child) const;
    bool hasSimulationShape() const;
    bool hasQueryShape() const;
    // Moves a kinematic body to its pending target; called just before a step.
    void applyKinematicTarget();
    // Places a kinematic body at once; the next step still gives it the velocity of the move.
    void moveKinematic(const btTransform& transform);
    void shapeMoved(const BulletShape& shape);
    void shapeFilteringChanged();

private:
    void rebuildCollisionShape();
    void applyMassProperties();
    void placeBody(const btTransform& transform);
    void wake();

    BulletPhysics& physics;
    RigidActor& self;
    const bool dynamic;
    bool kinematic = false;
    float mass = 1.0f;
    const char* name = nullptr;
    ActorFlags flags = ActorFlag::Visualization;
    BulletScene* owningScene = nullptr;
    std::vector<BulletShape*> attached;
    btEmptyShape emptyShape;
    std::unique_ptr<btCompoundShape> compound;
    std::unique_ptr<btRigidBody> rigidBody;
    bool hasKinematicTarget = false;
    btTransform kinematicTarget;
};

}  // namespace phys
