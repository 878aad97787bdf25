#include "physics/BulletController.h"

#include <algorithm>
#include <cmath>

#include <BulletCollision/CollisionDispatch/btCollisionWorld.h>
#include <BulletDynamics/Dynamics/btDiscreteDynamicsWorld.h>

#include "physics/BulletActor.h"
#include "physics/BulletControllerManager.h"
#include "physics/BulletConvert.h"
#include "physics/BulletMaterial.h"
#include "physics/BulletPhysics.h"
#include "physics/BulletRigidDynamic.h"
#include "physics/BulletScene.h"
#include "physics/BulletShape.h"
#include "physics/Foundation.h"

namespace phys {

namespace {

// The sideways sweep box reaches down to this height above the floor the controller
// floats on: low enough that only steps up to the step offset are climbed, high enough
// that the seams and edges of a flat floor never catch it.
constexpr float SideFloorClearance = 0.02f;
// Hits this close to tangent to the move do not stop it.
constexpr float GrazingCosine = 1e-3f;
// Keeps the skin measured along a nearly tangent move finite.
constexpr float MinSkinCosine = 0.05f;
// A sweep starting inside something stops only against a surface it is heading into.
constexpr float OverlapBlockCosine = 0.5f;
constexpr int MaxSideIterations = 8;
constexpr int MaxRecoveryIterations = 4;
// Overlaps shallower than this are left to the sweeps' skin.
constexpr float RecoveryTolerance = 1e-3f;
constexpr float MinMoveLength = 1e-5f;
constexpr float ClimbTolerance = 1e-3f;
// Bullet rounds a box's edges by its margin; keep the sweep box nearly sharp.
constexpr float SweepMargin = 0.01f;
constexpr float MaxMarginShare = 0.2f;

// The world-space face normal of the mesh triangle a query named; zero for other geometry.
// A mesh hit names its triangle by a part index of 0 or more; which shape holds it is known
// only while the actor has one.
btVector3 meshFaceNormal(const btCollisionObject& object, int part, int triangle) {
    const btVector3 none(0, 0, 0);
    const BulletActor* actor = BulletActor::of(&object);
    if (part < 0 || !actor || actor->shapes().size() != 1) return none;
    const BulletShape& meshShape = *actor->shapes().front();
    const btVector3 local = meshShape.triangleNormal(triangle);
    if (local.isZero()) return none;
    return object.getWorldTransform().getBasis() * (meshShape.localTransform().getBasis() * local);
}

class SweepCallback final : public btCollisionWorld::ConvexResultCallback {
public:
    SweepCallback(const btCollisionObject* self, const btVector3& direction, bool includePushable,
                  QueryFlags filterFlags)
        : self(self), direction(direction), includePushable(includePushable), filterFlags(filterFlags) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        if (!ConvexResultCallback::needsCollision(proxy)) return false;
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        if (object == self) return false;
        const BulletActor* candidate = BulletActor::of(object);
        if (!candidate || !candidate->hasQueryShape()) return false;
        if (!candidate->isDynamic()) return (filterFlags & QueryFlag::Static) != 0;
        if (!(filterFlags & QueryFlag::Dynamic)) return false;
        return candidate->isKinematic() || includePushable;
    }

    btScalar addSingleResult(btCollisionWorld::LocalConvexResult& result, bool normalInWorldSpace) override {
        const btVector3 n = normalInWorldSpace
                                ? result.m_hitNormalLocal
                                : result.m_hitCollisionObject->getWorldTransform().getBasis() * result.m_hitNormalLocal;
        const float approach = -n.dot(direction);
        if (approach < GrazingCosine) return m_closestHitFraction;
        if (result.m_hitFraction <= 0.0f && approach < OverlapBlockCosine) return m_closestHitFraction;
        BulletActor* hitActor = BulletActor::of(result.m_hitCollisionObject);
        const btCollisionWorld::LocalShapeInfo* info = result.m_localShapeInfo;
        const int child = (info && info->m_shapePart == -1) ? info->m_triangleIndex : 0;
        BulletShape* hitShape = hitActor ? hitActor->shapeOfChild(child) : nullptr;
        if (!hitShape || !hitShape->answersQueries()) return m_closestHitFraction;
        if (info && runsAlongTriangle(*result.m_hitCollisionObject, info->m_shapePart, info->m_triangleIndex))
            return m_closestHitFraction;
        if (hit && result.m_hitFraction >= m_closestHitFraction) return m_closestHitFraction;
        hit = true;
        m_closestHitFraction = result.m_hitFraction;
        normal = n;
        actor = hitActor;
        shape = hitShape;
        return result.m_hitFraction;
    }

    bool hit = false;
    btVector3 normal{0, 0, 0};
    BulletActor* actor = nullptr;
    BulletShape* shape = nullptr;

private:
    // A box moving along a triangle's plane cannot run into it. Bullet still reports such a
    // triangle when the box touches its face, with a normal bent by the triangle's inner
    // edge: a wall brushing the box's side would be ground to the downward sweep.
    bool runsAlongTriangle(const btCollisionObject& object, int part, int triangle) const {
        const btVector3 face = meshFaceNormal(object, part, triangle);
        if (face.isZero()) return false;
        return std::fabs(face.dot(direction)) < GrazingCosine;
    }

    const btCollisionObject* self;
    btVector3 direction;
    bool includePushable;
    QueryFlags filterFlags;
};

// Finds the deepest penetration of the controller's box into a blocking shape. A mesh
// triangle counts only while the box's centre is in front of its face: with the centre
// behind it, inside the mesh, its push would drive the box further in (and a box swept
// into a wall would be carried along inside it instead of being let out behind it).
class OverlapCallback final : public btCollisionWorld::ContactResultCallback {
public:
    OverlapCallback(const btCollisionObject* probe, const btCollisionObject* self, QueryFlags filterFlags)
        : probe(probe), self(self), filterFlags(filterFlags) {}

    bool needsCollision(btBroadphaseProxy* proxy) const override {
        if (!ContactResultCallback::needsCollision(proxy)) return false;
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        if (object == self || object == probe) return false;
        const BulletActor* candidate = BulletActor::of(object);
        if (!candidate || !candidate->hasQueryShape()) return false;
        if (!candidate->isDynamic()) return (filterFlags & QueryFlag::Static) != 0;
        return (filterFlags & QueryFlag::Dynamic) && candidate->isKinematic();
    }

    btScalar addSingleResult(btManifoldPoint& point, const btCollisionObjectWrapper* wrapper0, int part0, int index0,
                             const btCollisionObjectWrapper* wrapper1, int part1, int index1) override {
        const float distance = point.getDistance();
        if (distance >= depth) return 0;
        const bool probeFirst = wrapper0->getCollisionObject() == probe;
        const btCollisionObject& other = *(probeFirst ? wrapper1 : wrapper0)->getCollisionObject();
        const btVector3& onOther = probeFirst ? point.m_positionWorldOnB : point.m_positionWorldOnA;
        if (behindTriangle(other, probeFirst ? part1 : part0, probeFirst ? index1 : index0, onOther)) return 0;
        depth = distance;
        // The normal points from the second object to the first: turn it towards the box.
        normal = probeFirst ? point.m_normalWorldOnB : -point.m_normalWorldOnB;
        return 0;
    }

    float depth = 0.0f;
    btVector3 normal{0, 0, 0};

private:
    bool behindTriangle(const btCollisionObject& object, int part, int triangle, const btVector3& onTriangle) const {
        const btVector3 face = meshFaceNormal(object, part, triangle);
        return face.dot(probe->getWorldTransform().getOrigin() - onTriangle) < 0.0f;
    }

    const btCollisionObject* probe;
    const btCollisionObject* self;
    QueryFlags filterFlags;
};

}  // namespace

BulletController::BulletController(BulletControllerManager& manager, const BoxControllerDesc& desc)
    : manager(manager), scene(manager.scene()), position(desc.position),
      upDirection(glm::normalize(desc.upDirection)), slopeLimit(desc.slopeLimit), contactOffset(desc.contactOffset),
      stepOffset(desc.stepOffset),
      halfExtents(desc.halfHeight, desc.halfSideExtent, desc.halfForwardExtent) {
    up = toBt(upDirection);
    frame = shortestArcQuat(btVector3(1, 0, 0), up);

    BulletPhysics& physics = scene.physics();
    actor = static_cast<BulletRigidDynamic*>(physics.createRigidDynamic(toPose(actorTransform())));
    actor->setKinematic(true);
    Material* material = desc.material ? desc.material : &physics.defaultMaterial();
    Shape* box = physics.createShape(Geometry::box(toGlm(halfExtents)), material, true);
    actor->attachShape(box);
    shape = static_cast<BulletShape*>(box);
    box->release();  // the actor holds it from here on
    scene.addActor(*actor);
}

BulletController::~BulletController() = default;

void BulletController::release() {
    manager.forget(this);
    actor->release();
    delete this;
}

RigidDynamic* BulletController::getActor() const { return actor; }

bool BulletController::setPosition(const glm::dvec3& newPosition) {
    if (!isFinite(newPosition)) {
        reportError(ErrorCode::InvalidParameter, "Controller::setPosition: the position is not finite.", __FILE__,
                    __LINE__);
        return false;
    }
    position = newPosition;
    actor->setGlobalPose(toPose(actorTransform()));
    return true;
}

ControllerCollisionFlags BulletController::move(const glm::vec3& displacement, float minDistance, float,
                                                const ControllerFilters& filters) {
    if (!isFinite(displacement)) {
        reportError(ErrorCode::InvalidParameter, "Controller::move: the displacement is not finite.", __FILE__,
                    __LINE__);
        return 0;
    }
    const btVector3 d = toBt(displacement);
    const float upAmount = d.dot(up);
    const btVector3 side = d - up * upAmount;
    const float threshold = std::max(minDistance, MinMoveLength);
    // Auto-stepping only while walking, never while rising: standing still must not bob.
    const bool walking = side.length() > threshold;
    const float stepUp = (walking && upAmount <= 0.0f) ? stepOffset : 0.0f;

    const btVector3 origin = toBt(position);
    const btVector3 start = recoverFromOverlaps(origin, filters.filterFlags);
    MoveResult result = runPasses(start, side, upAmount, stepUp, threshold, filters.filterFlags);
    // Climbing onto a too steep surface by the step offset is undone: walk again without it.
    const bool climbedSteep = result.grounded && !isWalkable(result.ground.normal) &&
                              (result.position - start).dot(up) > std::max(upAmount, 0.0f) + ClimbTolerance;
    if (stepUp > 0.0f && climbedSteep)
        result = runPasses(start, side, upAmount, 0.0f, threshold, filters.filterFlags);

    const btVector3 delta = result.position - origin;
    position += glm::dvec3(delta.x(), delta.y(), delta.z());
    state.collisionFlags = result.flags;
    state.touchedActor = result.grounded ? &result.ground.actor->owner() : nullptr;
    state.touchedShape = result.grounded ? result.ground.shape : nullptr;
    actor->core().moveKinematic(actorTransform());
    return result.flags;
}

btVector3 BulletController::recoverFromOverlaps(const btVector3& centre, QueryFlags filterFlags) const {
    const SweepBox box = makeSweepBox(false);
    btCollisionObject probe;
    probe.setCollisionShape(const_cast<btBoxShape*>(&box.shape));
    btVector3 at = centre;
    for (int i = 0; i < MaxRecoveryIterations; ++i) {
        probe.setWorldTransform(shapeTransformAt(at));
        OverlapCallback callback(&probe, &actor->core().body(), filterFlags);
        scene.world().contactTest(&probe, callback);
        if (callback.depth > -RecoveryTolerance) break;
        // Out to the skin the sweeps keep: a box left closer is caught by the surface's
        // edges, and a wall moving on passes its centre a skin sooner.
        at += callback.normal * (contactOffset - callback.depth);
    }
    return at;
}

BulletController::MoveResult BulletController::runPasses(const btVector3& start, const btVector3& side,
                                                         float upAmount, float stepUp, float minDistance,
                                                         QueryFlags filterFlags) const {
    MoveResult result;
    result.position = start;
    const SweepBox box = makeSweepBox(false);
    const float userUp = std::max(upAmount, 0.0f);
    const float userDown = std::max(-upAmount, 0.0f);
    SweepHit hit;

    // Up: the user's rise plus the step offset.
    float climbed = 0.0f;
    const float upLength = userUp + stepUp;
    if (upLength > 0.0f) {
        climbed = upLength;
        if (sweep(box, result.position, up, upLength + contactOffset, false, filterFlags, hit)) {
            const float allowed = allowedDistance(hit, up);
            if (allowed < upLength) {
                climbed = std::max(allowed, 0.0f);
                if (userUp > 0.0f) result.flags |= ControllerCollisionFlag::Up;
            }
        }
        result.position += up * climbed;
    }
    const float stepTaken = std::clamp(climbed - userUp, 0.0f, stepUp);

    // Sideways: collide and slide.
    const SweepBox sideBox = makeSweepBox(true);
    btVector3 remaining = side;
    for (int i = 0; i < MaxSideIterations; ++i) {
        const float length = remaining.length();
        if (length <= minDistance) break;
        const btVector3 direction = remaining / length;
        if (!sweep(sideBox, result.position, direction, length + contactOffset, false, filterFlags, hit)) {
            result.position += remaining;
            break;
        }
        const float allowed = allowedDistance(hit, direction);
        if (allowed >= length) {
            result.position += remaining;
            break;
        }
        const float moved = std::max(allowed, 0.0f);
        result.position += direction * moved;
        // A walkable slope met on the way is ground being climbed, not a collision at the side.
        if (!isWalkable(hit.normal)) result.flags |= ControllerCollisionFlag::Sides;
        remaining = slideDirection(direction * (length - moved), hit.normal);
    }

    // Down: the user's fall plus whatever the step offset lifted.
    const float downLength = userDown + stepTaken;
    if (downLength > 0.0f) {
        float dropped = downLength;
        if (sweep(box, result.position, -up, downLength + contactOffset, true, filterFlags, hit)) {
            const float allowed = allowedDistance(hit, -up);
            if (allowed < downLength) {
                dropped = std::max(allowed, 0.0f);
                result.flags |= ControllerCollisionFlag::Down;
                result.grounded = true;
                result.ground = hit;
            }
        }
        result.position -= up * dropped;
    }
    return result;
}

bool BulletController::sweep(const SweepBox& box, const btVector3& centre, const btVector3& direction, float length,
                             bool includePushable, QueryFlags filterFlags, SweepHit& hit) const {
    const btTransform from = shapeTransformAt(centre) * box.offset;
    btTransform to = from;
    to.setOrigin(from.getOrigin() + direction * length);
    SweepCallback callback(&actor->core().body(), direction, includePushable, filterFlags);
    scene.world().convexSweepTest(&box.shape, from, to, callback);
    if (!callback.hit) return false;
    hit.distance = callback.m_closestHitFraction * length;
    hit.normal = callback.normal;
    hit.actor = callback.actor;
    hit.shape = callback.shape;
    return true;
}

float BulletController::allowedDistance(const SweepHit& hit, const btVector3& direction) const {
    const float cosine = std::max(-direction.dot(hit.normal), MinSkinCosine);
    return hit.distance - contactOffset / cosine;
}

btVector3 BulletController::slideDirection(const btVector3& rest, const btVector3& normal) const {
    btVector3 plane = normal;
    if (!isWalkable(normal)) {
        // Too steep to walk on: slide along it as along an upright wall, never up it.
        const btVector3 level = normal - up * normal.dot(up);
        if (level.length2() > 1e-6f) plane = level.normalized();
    }
    return rest - plane * rest.dot(plane);
}

bool BulletController::isWalkable(const btVector3& normal) const { return normal.dot(up) >= slopeLimit; }

btTransform BulletController::actorTransform() const { return btTransform(frame, toBt(position)); }

btTransform BulletController::shapeTransformAt(const btVector3& centre) const {
    return btTransform(frame, centre) * shape->localTransform();
}

BulletController::SweepBox BulletController::makeSweepBox(bool reachDown) const {
    btVector3 half = halfExtents;
    btTransform offset = btTransform::getIdentity();
    const float reach = reachDown ? std::max(contactOffset - SideFloorClearance, 0.0f) : 0.0f;
    if (reach > 0.0f) {
        // Grow the box along its axis nearest to up, downwards only.
        const btMatrix3x3 basis = (btTransform(frame) * shape->localTransform()).getBasis();
        int axis = 0;
        for (int i = 1; i < 3; ++i)
            if (std::fabs(basis.getColumn(i).dot(up)) > std::fabs(basis.getColumn(axis).dot(up))) axis = i;
        const float sign = basis.getColumn(axis).dot(up) > 0.0f ? 1.0f : -1.0f;
        half[axis] += 0.5f * reach;
        btVector3 shift(0, 0, 0);
        shift[axis] = -sign * 0.5f * reach;
        offset.setOrigin(shift);
    }
    return SweepBox(half, offset, std::min(SweepMargin, MaxMarginShare * half[half.minAxis()]));
}

}  // namespace phys
