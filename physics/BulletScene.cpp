#include "physics/BulletScene.h"

#include <algorithm>
#include <cmath>

#include "physics/BulletActor.h"
#include "physics/BulletControllerManager.h"
#include "physics/BulletConvert.h"
#include "physics/BulletPhysics.h"
#include "physics/Foundation.h"

namespace phys {

namespace {
// Below this speed a contact does not bounce: 0.2 of the tolerance speed, so bodies resting on
// the field settle instead of jittering on their restitution.
constexpr float BounceThresholdShareOfSpeed = 0.2f;
}  // namespace

// Lets the broadphase keep only pairs the filter shader admits.
class BulletScene::PairFilter final : public btOverlapFilterCallback {
public:
    explicit PairFilter(BulletPairTable& table) : table(table) {}
    bool needBroadphaseCollision(btBroadphaseProxy* proxy0, btBroadphaseProxy* proxy1) const override {
        const bool groupsMatch = (proxy0->m_collisionFilterGroup & proxy1->m_collisionFilterMask) &&
                                 (proxy1->m_collisionFilterGroup & proxy0->m_collisionFilterMask);
        if (!groupsMatch) return false;
        const BulletActor* a = BulletActor::of(static_cast<btCollisionObject*>(proxy0->m_clientObject));
        const BulletActor* b = BulletActor::of(static_cast<btCollisionObject*>(proxy1->m_clientObject));
        if (!a || !b) return true;
        return table.admits(*a, *b);
    }

private:
    BulletPairTable& table;
};

// Leaves the contacts of pairs whose flags lack contact solving out of the solver.
class BulletScene::Dispatcher final : public btCollisionDispatcher {
public:
    Dispatcher(btCollisionConfiguration* configuration, BulletPairTable& table)
        : btCollisionDispatcher(configuration), table(table) {}
    bool needsResponse(const btCollisionObject* body0, const btCollisionObject* body1) override {
        if (!btCollisionDispatcher::needsResponse(body0, body1)) return false;
        const BulletActor* a = BulletActor::of(body0);
        const BulletActor* b = BulletActor::of(body1);
        return !a || !b || table.solves(*a, *b);
    }

private:
    BulletPairTable& table;
};

BulletScene::BulletScene(BulletPhysics& physics, const SceneDesc& desc)
    : owner(physics), gravity(desc.gravity), eventCallback(desc.simulationEventCallback),
      pairTable(desc.filterShader) {
    collisionConfiguration = std::make_unique<btDefaultCollisionConfiguration>();
    dispatcher = std::make_unique<Dispatcher>(collisionConfiguration.get(), pairTable);
    broadphase = std::make_unique<btDbvtBroadphase>();
    pairFilter = std::make_unique<PairFilter>(pairTable);
    broadphase->getOverlappingPairCache()->setOverlapFilterCallback(pairFilter.get());
    solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    dynamicsWorld = std::make_unique<btDiscreteDynamicsWorld>(dispatcher.get(), broadphase.get(), solver.get(),
                                                              collisionConfiguration.get());
    dynamicsWorld->setGravity(toBt(gravity));
    // Boxes against mesh triangles get clipped face contacts (see BulletShape), so they rest flat.
    dynamicsWorld->getDispatchInfo().m_enableSatConvex = true;
    // Static actors moved by the game refresh their bounds themselves; sleeping ones stay put.
    dynamicsWorld->setForceUpdateAllAabbs(false);
    dynamicsWorld->getSolverInfo().m_restitutionVelocityThreshold =
        BounceThresholdShareOfSpeed * physics.getTolerancesScale().speed;
    physics.track(this);
}

BulletScene::~BulletScene() {
    pairTable.clear();
    while (!controllerManagers.empty()) controllerManagers.back()->release();
    while (!actors.empty()) actors.back()->owner().release();
    dynamicsWorld.reset();
    solver.reset();
    broadphase.reset();
    pairFilter.reset();
    dispatcher.reset();
    collisionConfiguration.reset();
    owner.untrack(this);
}

void BulletScene::setGravity(const glm::vec3& value) {
    if (!isFinite(value)) {
        reportError(ErrorCode::InvalidParameter, "Scene::setGravity: the gravity is not finite.", __FILE__, __LINE__);
        return;
    }
    gravity = value;
    dynamicsWorld->setGravity(toBt(gravity));
    // The world only updates awake bodies; sleeping ones get it too.
    for (BulletActor* actor : actors) {
        if (actor->isDynamic() && !(actor->getActorFlags() & ActorFlag::DisableGravity))
            actor->body().setGravity(toBt(gravity));
    }
}

bool BulletScene::addActor(Actor& actor) {
    BulletActor* core = BulletActor::of(&actor);
    if (!core) {
        reportError(ErrorCode::InvalidParameter, "Scene::addActor: the actor was not made by this physics layer.",
                    __FILE__, __LINE__);
        return false;
    }
    if (core->scene()) {
        reportError(ErrorCode::InvalidOperation,
                    "Scene::addActor: the actor already belongs to a scene; the call is ignored.", __FILE__, __LINE__);
        return false;
    }
    actors.push_back(core);
    core->joinScene(this);
    if (core->isSimulated()) insertBody(*core);
    return true;
}

void BulletScene::removeActor(Actor& actor) {
    BulletActor* core = BulletActor::of(&actor);
    if (!core || core->scene() != this) {
        reportError(ErrorCode::InvalidParameter, "Scene::removeActor: the actor does not belong to this scene.",
                    __FILE__, __LINE__);
        return;
    }
    detachActor(*core);
}

Actor* BulletScene::getActor(uint32_t index) const {
    return index < actors.size() ? &actors[index]->owner() : nullptr;
}

void BulletScene::simulate(float elapsedTime) {
    if (!std::isfinite(elapsedTime) || elapsedTime <= 0.0f) {
        reportError(ErrorCode::InvalidParameter, "Scene::simulate: the elapsed time must be positive and finite.",
                    __FILE__, __LINE__);
        return;
    }
    if (stepPending) {
        reportError(ErrorCode::InvalidOperation,
                    "Scene::simulate: the results of the previous step were not fetched; the call is ignored.",
                    __FILE__, __LINE__);
        return;
    }
    for (BulletActor* actor : actors) {
        if (actor->isKinematic()) actor->applyKinematicTarget();
    }
    // Exactly one step of the given length: no substeps, no interpolation.
    dynamicsWorld->stepSimulation(elapsedTime, 0, elapsedTime);
    stepPending = true;
}

bool BulletScene::fetchResults(bool) {
    if (!stepPending) {
        reportError(ErrorCode::InvalidOperation, "Scene::fetchResults: no simulate call to fetch the results of.",
                    __FILE__, __LINE__);
        return false;
    }
    stepPending = false;
    pairTable.report(*dispatcher, eventCallback);
    return true;
}

void BulletScene::release() { delete this; }

void BulletScene::detachActor(BulletActor& actor) {
    if (actor.isSimulated()) withdrawBody(actor);
    pairTable.forgetActor(actor);
    actors.erase(std::remove(actors.begin(), actors.end(), &actor), actors.end());
    actor.joinScene(nullptr);
}

void BulletScene::insertBody(BulletActor& actor) {
    btRigidBody& body = actor.body();
    const bool moving = actor.isDynamic() && !actor.isKinematic();
    const int group = moving ? btBroadphaseProxy::DefaultFilter : btBroadphaseProxy::StaticFilter;
    const int mask = moving ? btBroadphaseProxy::AllFilter : btBroadphaseProxy::AllFilter ^ btBroadphaseProxy::StaticFilter;
    dynamicsWorld->addRigidBody(&body, group, mask);
    // Kinematic bodies may fall asleep when they stay put, so resting bodies next to them
    // can sleep too; every move wakes them again.
    if (actor.isDynamic()) body.activate(true);
}

void BulletScene::withdrawBody(BulletActor& actor) {
    dynamicsWorld->removeRigidBody(&actor.body());
    pairTable.forgetActor(actor);
}

void BulletScene::collisionShapeChanged(BulletActor& actor) {
    btBroadphaseProxy* proxy = actor.body().getBroadphaseHandle();
    if (proxy) broadphase->getOverlappingPairCache()->cleanProxyFromPairs(proxy, dispatcher.get());
    dynamicsWorld->updateSingleAabb(&actor.body());
}

void BulletScene::boundsChanged(BulletActor& actor) { dynamicsWorld->updateSingleAabb(&actor.body()); }

void BulletScene::shapeDetached(const BulletShape& shape) { pairTable.forgetShape(shape); }

void BulletScene::refilter(BulletActor& actor) {
    withdrawBody(actor);
    insertBody(actor);
}

void BulletScene::adoptControllerManager(BulletControllerManager* manager) { controllerManagers.push_back(manager); }

void BulletScene::forgetControllerManager(BulletControllerManager* manager) {
    controllerManagers.erase(std::remove(controllerManagers.begin(), controllerManagers.end(), manager),
                             controllerManagers.end());
}

}  // namespace phys
