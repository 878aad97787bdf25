// The scene's book of shape pairs: asks the filter shader once for every new pair and
// keeps its answer, and turns each step's touching pairs into contact reports by
// comparing them with the pairs that touched in the step before.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "physics/PhysicsTypes.h"

class btCollisionObject;
class btDispatcher;
class btManifoldPoint;
struct btCollisionObjectWrapper;

namespace phys {

class BulletActor;
class BulletShape;
class SimulationEventCallback;

class BulletPairTable {
public:
    explicit BulletPairTable(FilterShader shader);

    // Whether any simulation shape of one actor may touch one of the other's.
    bool admits(const BulletActor& a, const BulletActor& b);
    // Whether the contacts between the two actors are solved.
    bool solves(const BulletActor& a, const BulletActor& b);
    void forgetShape(const BulletShape& shape);
    void forgetActor(const BulletActor& actor);
    void clear();
    // Reads the step's contact manifolds and reports found, persisting and lost touches.
    void report(btDispatcher& dispatcher, SimulationEventCallback* callback);

    // Bullet's contact-added hook: averages the two materials and notes which shapes touch.
    static bool onContactAdded(btManifoldPoint& point, const btCollisionObjectWrapper* wrapper0, int partId0,
                               int index0, const btCollisionObjectWrapper* wrapper1, int partId1, int index1);

private:
    struct Side {
        const BulletActor* actor;
        const BulletShape* shape;
    };
    struct Key {
        Side a, b;  // ordered, so either order of the pair finds it
        Key(Side x, Side y);
        bool operator==(const Key& o) const {
            return a.actor == o.a.actor && a.shape == o.a.shape && b.actor == o.b.actor && b.shape == o.b.shape;
        }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    struct Verdict {
        PairFlags pairFlags;
        bool admitted;
    };
    struct Touch {
        BulletActor* actors[2];
        BulletShape* shapes[2];
        uint32_t count;
    };
    struct TouchList {
        std::vector<Touch> touches;
        std::unordered_map<Key, size_t, KeyHash> index;
        void clear() {
            touches.clear();
            index.clear();
        }
        void rebuildIndex();
    };

    const Verdict& verdict(const BulletActor& actorA, const BulletShape& shapeA, const BulletActor& actorB,
                           const BulletShape& shapeB);
    void collectTouches(btDispatcher& dispatcher);
    void deliver(SimulationEventCallback& callback);
    template <class Pred>
    void forgetWhere(Pred pred);

    FilterShader shader;
    std::unordered_map<Key, Verdict, KeyHash> verdicts;
    TouchList current;
    TouchList previous;
};

}  // namespace phys
