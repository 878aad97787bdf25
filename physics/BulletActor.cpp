#include "physics/BulletActor.h"

#include <algorithm>
#include <cmath>

#include "physics/BulletConvert.h"
#include "physics/BulletPhysics.h"
#include "physics/BulletRigidDynamic.h"
#include "physics/BulletRigidStatic.h"
#include "physics/BulletScene.h"
#include "physics/BulletShape.h"
#include "physics/Foundation.h"

namespace phys {

namespace {
// A new dynamic body is damped slightly in rotation only, so a tumbling body (the goal's
// free body, a barrel) slows its spin in time while its fall and drift stay undamped.
constexpr float DefaultAngularDamping = 0.05f;

bool isIdentity(const btTransform& t) {
    return t.getOrigin().isZero() && t.getRotation() == btQuaternion::getIdentity();
}
}  // namespace

BulletActor::BulletActor(BulletPhysics& physics, RigidActor& owner, const Pose& pose, bool dynamic)
    : physics(physics), self(owner), dynamic(dynamic) {
    btRigidBody::btRigidBodyConstructionInfo info(0, nullptr, &emptyShape);
    info.m_startWorldTransform = toBt(pose);
    info.m_angularDamping = dynamic ? DefaultAngularDamping : 0.0f;
    rigidBody = std::make_unique<btRigidBody>(info);
    rigidBody->setUserPointer(this);
    // Every contact passes the material callback, which averages the two materials.
    rigidBody->setCollisionFlags(rigidBody->getCollisionFlags() | btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    applyMassProperties();
    physics.track(this);
}

BulletActor::~BulletActor() {
    prepareRelease();
    rigidBody.reset();
    physics.untrack(this);
}

BulletActor* BulletActor::of(const btCollisionObject* object) {
    return object ? static_cast<BulletActor*>(object->getUserPointer()) : nullptr;
}

BulletActor* BulletActor::of(Actor* actor) {
    if (auto* s = dynamic_cast<BulletRigidStatic*>(actor)) return &s->core();
    if (auto* d = dynamic_cast<BulletRigidDynamic*>(actor)) return &d->core();
    return nullptr;
}

void BulletActor::setActorFlag(ActorFlags flag, bool value) {
    const bool wasSimulated = isSimulated();
    flags = value ? ActorFlags(flags | flag) : ActorFlags(flags & ~flag);

    if ((flag & ActorFlag::DisableGravity) && dynamic) {
        if (value) {
            rigidBody->setFlags(rigidBody->getFlags() | BT_DISABLE_WORLD_GRAVITY);
            rigidBody->setGravity(btVector3(0, 0, 0));
        } else {
            rigidBody->setFlags(rigidBody->getFlags() & ~BT_DISABLE_WORLD_GRAVITY);
            if (owningScene) rigidBody->setGravity(toBt(owningScene->getGravity()));
        }
    }
    if (owningScene && wasSimulated != isSimulated()) {
        if (wasSimulated)
            owningScene->withdrawBody(*this);
        else
            owningScene->insertBody(*this);
    }
}

void BulletActor::prepareRelease() {
    if (owningScene) owningScene->detachActor(*this);
    if (attached.empty()) return;
    rigidBody->setCollisionShape(&emptyShape);
    compound.reset();
    std::vector<BulletShape*> shapes;
    shapes.swap(attached);
    for (BulletShape* shape : shapes) shape->detachedFrom(*this);
}

Pose BulletActor::getGlobalPose() const { return toPose(rigidBody->getWorldTransform()); }

void BulletActor::setGlobalPose(const Pose& pose, bool autowake) {
    if (!pose.isValid()) {
        reportError(ErrorCode::InvalidParameter, "RigidActor::setGlobalPose: the pose is not valid.", __FILE__,
                    __LINE__);
        return;
    }
    hasKinematicTarget = false;
    placeBody(toBt(pose));
    if (autowake) wake();
}

bool BulletActor::attachShape(Shape* shape) {
    auto* bulletShape = static_cast<BulletShape*>(shape);
    if (!bulletShape) {
        reportError(ErrorCode::InvalidParameter, "RigidActor::attachShape: no shape given.", __FILE__, __LINE__);
        return false;
    }
    if (std::find(attached.begin(), attached.end(), bulletShape) != attached.end()) {
        reportError(ErrorCode::InvalidOperation, "RigidActor::attachShape: the shape is already attached to this actor.",
                    __FILE__, __LINE__);
        return false;
    }
    if (bulletShape->isExclusive() && bulletShape->isAttached()) {
        reportError(ErrorCode::InvalidOperation,
                    "RigidActor::attachShape: an exclusive shape belongs to another actor already.", __FILE__,
                    __LINE__);
        return false;
    }
    const GeometryType type = bulletShape->getGeometry().type;
    if (dynamic && !kinematic && type != GeometryType::Box) {
        reportError(ErrorCode::InvalidParameter,
                    "RigidActor::attachShape: planes and triangle meshes need a static or kinematic actor.", __FILE__,
                    __LINE__);
        return false;
    }
    attached.push_back(bulletShape);
    bulletShape->attachedTo(*this);
    rebuildCollisionShape();
    return true;
}

void BulletActor::detachShape(Shape* shape) {
    auto* bulletShape = static_cast<BulletShape*>(shape);
    auto it = std::find(attached.begin(), attached.end(), bulletShape);
    if (it == attached.end()) {
        reportError(ErrorCode::InvalidParameter, "RigidActor::detachShape: the shape is not attached to this actor.",
                    __FILE__, __LINE__);
        return;
    }
    attached.erase(it);
    if (owningScene) owningScene->shapeDetached(*bulletShape);
    rebuildCollisionShape();
    bulletShape->detachedFrom(*this);
}

uint32_t BulletActor::getShapes(Shape** buffer, uint32_t bufferSize, uint32_t startIndex) const {
    uint32_t written = 0;
    for (uint32_t i = startIndex; i < attached.size() && written < bufferSize; ++i) buffer[written++] = attached[i];
    return written;
}

void BulletActor::setMass(float value) {
    if (!std::isfinite(value) || value <= 0.0f) {
        reportError(ErrorCode::InvalidParameter, "RigidBody::setMass: the mass must be positive and finite.", __FILE__,
                    __LINE__);
        return;
    }
    mass = value;
    applyMassProperties();
}

glm::vec3 BulletActor::getLinearVelocity() const { return toGlm(rigidBody->getLinearVelocity()); }

void BulletActor::setLinearVelocity(const glm::vec3& velocity, bool autowake) {
    if (!isFinite(velocity)) {
        reportError(ErrorCode::InvalidParameter, "RigidBody::setLinearVelocity: the velocity is not finite.", __FILE__,
                    __LINE__);
        return;
    }
    if (kinematic) {
        reportError(ErrorCode::InvalidOperation, "RigidBody::setLinearVelocity: the body is kinematic.", __FILE__,
                    __LINE__);
        return;
    }
    rigidBody->setLinearVelocity(toBt(velocity));
    if (autowake) wake();
}

glm::vec3 BulletActor::getAngularVelocity() const { return toGlm(rigidBody->getAngularVelocity()); }

void BulletActor::addForce(const glm::vec3& force, ForceMode mode, bool autowake) {
    if (!isFinite(force)) {
        reportError(ErrorCode::InvalidParameter, "RigidBody::addForce: the force is not finite.", __FILE__, __LINE__);
        return;
    }
    if (kinematic) {
        reportError(ErrorCode::InvalidOperation, "RigidBody::addForce: the body is kinematic.", __FILE__, __LINE__);
        return;
    }
    if (!owningScene) {
        reportError(ErrorCode::InvalidOperation, "RigidBody::addForce: the body is in no scene.", __FILE__, __LINE__);
        return;
    }
    // A body taken out of the simulation is not moved; the game pushes its waiting free body every frame.
    if (flags & ActorFlag::DisableSimulation) return;
    const btVector3 f = toBt(force);
    switch (mode) {
    case ForceMode::Force: rigidBody->applyCentralForce(f); break;
    case ForceMode::Impulse: rigidBody->applyCentralImpulse(f); break;
    case ForceMode::VelocityChange: rigidBody->setLinearVelocity(rigidBody->getLinearVelocity() + f); break;
    case ForceMode::Acceleration: rigidBody->applyCentralForce(f * mass); break;
    }
    if (autowake) wake();
}

void BulletActor::setKinematic(bool value) {
    if (!dynamic || kinematic == value) return;
    if (!value) {
        for (const BulletShape* shape : attached) {
            if (shape->getGeometry().type != GeometryType::Box) {
                reportError(ErrorCode::InvalidOperation,
                            "RigidDynamic::setKinematic: a body with a plane or mesh shape must stay kinematic.",
                            __FILE__, __LINE__);
                return;
            }
        }
    }
    const bool simulated = isSimulated();
    if (simulated) owningScene->withdrawBody(*this);
    kinematic = value;
    hasKinematicTarget = false;
    applyMassProperties();
    if (simulated) owningScene->insertBody(*this);
}

void BulletActor::setKinematicTarget(const Pose& target) {
    if (!kinematic) {
        reportError(ErrorCode::InvalidOperation, "RigidDynamic::setKinematicTarget: the body is not kinematic.",
                    __FILE__, __LINE__);
        return;
    }
    if (!target.isValid()) {
        reportError(ErrorCode::InvalidParameter, "RigidDynamic::setKinematicTarget: the pose is not valid.", __FILE__,
                    __LINE__);
        return;
    }
    if (!owningScene) {
        reportError(ErrorCode::InvalidOperation, "RigidDynamic::setKinematicTarget: the body is in no scene.",
                    __FILE__, __LINE__);
        return;
    }
    kinematicTarget = toBt(target);
    hasKinematicTarget = true;
}

bool BulletActor::isSleeping() const {
    if (!isSimulated()) return true;
    return !rigidBody->isActive();
}

BulletShape* BulletActor::shapeOfChild(int child) const {
    if (attached.empty()) return nullptr;
    if (!compound) return attached.front();
    return (child >= 0 && child < int(attached.size())) ? attached[size_t(child)] : nullptr;
}

bool BulletActor::hasSimulationShape() const {
    return std::any_of(attached.begin(), attached.end(), [](const BulletShape* s) { return s->simulates(); });
}

bool BulletActor::hasQueryShape() const {
    return std::any_of(attached.begin(), attached.end(), [](const BulletShape* s) { return s->answersQueries(); });
}

void BulletActor::applyKinematicTarget() {
    if (!hasKinematicTarget) return;
    hasKinematicTarget = false;
    rigidBody->setWorldTransform(kinematicTarget);
    rigidBody->activate(true);
}

void BulletActor::moveKinematic(const btTransform& transform) {
    hasKinematicTarget = false;
    if (transform == rigidBody->getWorldTransform()) return;
    rigidBody->setWorldTransform(transform);
    rigidBody->activate(true);
    if (isSimulated()) owningScene->boundsChanged(*this);
}

void BulletActor::shapeMoved(const BulletShape& shape) {
    if (!compound) {
        rebuildCollisionShape();
        return;
    }
    for (size_t i = 0; i < attached.size(); ++i) {
        if (attached[i] == &shape) compound->updateChildTransform(int(i), shape.localTransform(), true);
    }
    if (kinematic) rigidBody->activate(true);
    if (isSimulated()) owningScene->boundsChanged(*this);
}

void BulletActor::shapeFilteringChanged() {
    if (isSimulated()) owningScene->refilter(*this);
}

void BulletActor::rebuildCollisionShape() {
    std::unique_ptr<btCompoundShape> next;
    btCollisionShape* shape = &emptyShape;
    if (attached.size() == 1 && isIdentity(attached.front()->localTransform())) {
        shape = &attached.front()->collisionShape();
    } else if (!attached.empty()) {
        next = std::make_unique<btCompoundShape>(true, int(attached.size()));
        for (const BulletShape* s : attached) next->addChildShape(s->localTransform(), &s->collisionShape());
        shape = next.get();
    }
    rigidBody->setCollisionShape(shape);
    // The pairs still hold algorithms made for the old shape: clear them before it goes.
    if (isSimulated()) owningScene->collisionShapeChanged(*this);
    compound = std::move(next);
}

void BulletActor::applyMassProperties() {
    int collisionFlags = rigidBody->getCollisionFlags();
    if (!dynamic) {
        rigidBody->setMassProps(0, btVector3(0, 0, 0));
        collisionFlags = rigidBody->getCollisionFlags() | btCollisionObject::CF_STATIC_OBJECT;
    } else if (kinematic) {
        rigidBody->setMassProps(0, btVector3(0, 0, 0));
        collisionFlags = (rigidBody->getCollisionFlags() & ~btCollisionObject::CF_STATIC_OBJECT) |
                         btCollisionObject::CF_KINEMATIC_OBJECT;
        rigidBody->setLinearVelocity(btVector3(0, 0, 0));
        rigidBody->setAngularVelocity(btVector3(0, 0, 0));
    } else {
        // Mass without a mass-space inertia from the shape: unit inertia, as the game expects.
        rigidBody->setMassProps(mass, btVector3(1, 1, 1));
        collisionFlags = rigidBody->getCollisionFlags() &
                         ~(btCollisionObject::CF_STATIC_OBJECT | btCollisionObject::CF_KINEMATIC_OBJECT);
    }
    rigidBody->setCollisionFlags(collisionFlags);
    rigidBody->updateInertiaTensor();
    if (dynamic && !kinematic && (flags & ActorFlag::DisableGravity)) rigidBody->setGravity(btVector3(0, 0, 0));
}

void BulletActor::placeBody(const btTransform& transform) {
    rigidBody->setWorldTransform(transform);
    rigidBody->setInterpolationWorldTransform(transform);
    if (kinematic) rigidBody->activate(true);
    if (isSimulated()) owningScene->boundsChanged(*this);
}

void BulletActor::wake() {
    if (dynamic && !kinematic && isSimulated()) rigidBody->activate(true);
}

}  // namespace phys
