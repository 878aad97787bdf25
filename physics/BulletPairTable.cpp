#include "physics/BulletPairTable.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include <BulletCollision/BroadphaseCollision/btDispatcher.h>
#include <BulletCollision/CollisionDispatch/btCollisionObjectWrapper.h>
#include <BulletCollision/CollisionShapes/btCollisionShape.h>
#include <BulletCollision/NarrowPhaseCollision/btPersistentManifold.h>

#include "physics/BulletActor.h"
#include "physics/BulletMaterial.h"
#include "physics/BulletShape.h"
#include "physics/SimulationEventCallback.h"

namespace phys {

namespace {

// What a scene without a filter shader does with every pair: solve it, report nothing.
constexpr PairFlags DefaultPairFlags = PairFlag::SolveContact | PairFlag::DetectDiscreteContact;
constexpr PairFlags DetectionFlags = PairFlag::DetectDiscreteContact | PairFlag::DetectCcdContact;

FilterObjectAttributes attributesOf(const BulletActor& actor) {
    if (!actor.isDynamic()) return FilterObjectType::RigidStatic;
    return FilterObjectType::RigidDynamic | (actor.isKinematic() ? FilterObjectType::Kinematic : 0u);
}

// The child of a compound that a contact came from: the wrapper just below the root.
int childIndexOf(const btCollisionObjectWrapper* wrapper) {
    const btCollisionObjectWrapper* below = nullptr;
    while (wrapper->m_parent) {
        below = wrapper;
        wrapper = wrapper->m_parent;
    }
    return (below && wrapper->getCollisionShape()->isCompound()) ? below->m_index : 0;
}

// Child indices ride in the contact point's user word, ordered by object address so the
// manifold's own body order can read them back.
void* encodeChildren(const btCollisionObject* a, int childA, const btCollisionObject* b, int childB) {
    if (b < a) {
        std::swap(a, b);
        std::swap(childA, childB);
    }
    const uintptr_t word = uintptr_t(childA + 1) | (uintptr_t(childB + 1) << 16);
    return reinterpret_cast<void*>(word);
}

void decodeChildren(const btManifoldPoint& point, const btCollisionObject* body0, const btCollisionObject* body1,
                    int& child0, int& child1) {
    const auto word = reinterpret_cast<uintptr_t>(point.m_userPersistentData);
    if (!word) {
        child0 = child1 = 0;
        return;
    }
    const int low = int(word & 0xFFFF) - 1;
    const int high = int((word >> 16) & 0xFFFF) - 1;
    child0 = body0 < body1 ? low : high;
    child1 = body0 < body1 ? high : low;
}

}  // namespace

BulletPairTable::Key::Key(Side x, Side y) : a(x), b(y) {
    if (std::less<const void*>()(b.shape, a.shape) || (b.shape == a.shape && std::less<const void*>()(b.actor, a.actor)))
        std::swap(a, b);
}

size_t BulletPairTable::KeyHash::operator()(const Key& k) const {
    size_t h = std::hash<const void*>()(k.a.actor);
    for (const void* p : {static_cast<const void*>(k.a.shape), static_cast<const void*>(k.b.actor),
                          static_cast<const void*>(k.b.shape)})
        h = h * 1000003u ^ std::hash<const void*>()(p);
    return h;
}

void BulletPairTable::TouchList::rebuildIndex() {
    index.clear();
    for (size_t i = 0; i < touches.size(); ++i) {
        const Touch& t = touches[i];
        index.emplace(Key({t.actors[0], t.shapes[0]}, {t.actors[1], t.shapes[1]}), i);
    }
}

BulletPairTable::BulletPairTable(FilterShader shader) : shader(shader) {}

const BulletPairTable::Verdict& BulletPairTable::verdict(const BulletActor& actorA, const BulletShape& shapeA,
                                                         const BulletActor& actorB, const BulletShape& shapeB) {
    const Key key({&actorA, &shapeA}, {&actorB, &shapeB});
    auto found = verdicts.find(key);
    if (found != verdicts.end()) return found->second;

    PairFlags pairFlags = DefaultPairFlags;
    FilterFlags filterFlags = FilterFlag::Default;
    if (shader) {
        pairFlags = 0;
        filterFlags = shader(attributesOf(actorA), shapeA.getSimulationFilterData(), attributesOf(actorB),
                             shapeB.getSimulationFilterData(), pairFlags, nullptr, 0);
    }
    const bool admitted =
        !(filterFlags & (FilterFlag::Kill | FilterFlag::Suppress)) && (pairFlags & DetectionFlags) != 0;
    return verdicts.emplace(key, Verdict{pairFlags, admitted}).first->second;
}

bool BulletPairTable::admits(const BulletActor& a, const BulletActor& b) {
    bool any = false;
    for (const BulletShape* shapeA : a.shapes()) {
        if (!shapeA->simulates()) continue;
        for (const BulletShape* shapeB : b.shapes()) {
            if (shapeB->simulates() && verdict(a, *shapeA, b, *shapeB).admitted) any = true;
        }
    }
    return any;
}

bool BulletPairTable::solves(const BulletActor& a, const BulletActor& b) {
    for (const BulletShape* shapeA : a.shapes()) {
        if (!shapeA->simulates()) continue;
        for (const BulletShape* shapeB : b.shapes()) {
            if (!shapeB->simulates()) continue;
            const Verdict& v = verdict(a, *shapeA, b, *shapeB);
            if (v.admitted && (v.pairFlags & PairFlag::SolveContact)) return true;
        }
    }
    return false;
}

template <class Pred>
void BulletPairTable::forgetWhere(Pred pred) {
    for (auto it = verdicts.begin(); it != verdicts.end();) {
        if (pred(it->first.a) || pred(it->first.b))
            it = verdicts.erase(it);
        else
            ++it;
    }
    for (TouchList* list : {&current, &previous}) {
        auto& touches = list->touches;
        const size_t before = touches.size();
        touches.erase(std::remove_if(touches.begin(), touches.end(),
                                     [&](const Touch& t) {
                                         return pred(Side{t.actors[0], t.shapes[0]}) ||
                                                pred(Side{t.actors[1], t.shapes[1]});
                                     }),
                      touches.end());
        if (touches.size() != before) list->rebuildIndex();
    }
}

void BulletPairTable::forgetShape(const BulletShape& shape) {
    forgetWhere([&](const Side& s) { return s.shape == &shape; });
}

void BulletPairTable::forgetActor(const BulletActor& actor) {
    forgetWhere([&](const Side& s) { return s.actor == &actor; });
}

void BulletPairTable::clear() {
    verdicts.clear();
    current.clear();
    previous.clear();
}

void BulletPairTable::collectTouches(btDispatcher& dispatcher) {
    current.clear();
    const int manifolds = dispatcher.getNumManifolds();
    for (int i = 0; i < manifolds; ++i) {
        const btPersistentManifold* manifold = dispatcher.getManifoldByIndexInternal(i);
        const int points = manifold->getNumContacts();
        if (points == 0) continue;
        BulletActor* actor0 = BulletActor::of(manifold->getBody0());
        BulletActor* actor1 = BulletActor::of(manifold->getBody1());
        if (!actor0 || !actor1) continue;
        for (int j = 0; j < points; ++j) {
            int child0 = 0, child1 = 0;
            decodeChildren(manifold->getContactPoint(j), manifold->getBody0(), manifold->getBody1(), child0, child1);
            BulletShape* shape0 = actor0->shapeOfChild(child0);
            BulletShape* shape1 = actor1->shapeOfChild(child1);
            if (!shape0 || !shape1) continue;
            const Key key({actor0, shape0}, {actor1, shape1});
            auto [it, added] = current.index.emplace(key, current.touches.size());
            if (added) current.touches.push_back(Touch{{actor0, actor1}, {shape0, shape1}, 0});
            ++current.touches[it->second].count;
        }
    }
}

void BulletPairTable::deliver(SimulationEventCallback& callback) {
    struct Report {
        BulletActor* actors[2];
        std::vector<ContactPair> pairs;
    };
    std::vector<Report> reports;
    auto add = [&](const Touch& t, PairFlags events, uint32_t count) {
        auto report = std::find_if(reports.begin(), reports.end(), [&](const Report& r) {
            return (r.actors[0] == t.actors[0] && r.actors[1] == t.actors[1]) ||
                   (r.actors[0] == t.actors[1] && r.actors[1] == t.actors[0]);
        });
        if (report == reports.end()) {
            reports.push_back(Report{{t.actors[0], t.actors[1]}, {}});
            report = reports.end() - 1;
        }
        ContactPair pair;
        const bool sameOrder = report->actors[0] == t.actors[0];
        pair.shapes[0] = sameOrder ? t.shapes[0] : t.shapes[1];
        pair.shapes[1] = sameOrder ? t.shapes[1] : t.shapes[0];
        pair.events = events;
        pair.contactCount = count;
        report->pairs.push_back(pair);
    };
    auto flagsOf = [&](const Key& key) -> PairFlags {
        auto v = verdicts.find(key);
        return v == verdicts.end() ? 0 : v->second.pairFlags;
    };

    for (const Touch& t : current.touches) {
        const Key key({t.actors[0], t.shapes[0]}, {t.actors[1], t.shapes[1]});
        const PairFlags flags = flagsOf(key);
        const bool found = previous.index.find(key) == previous.index.end();
        const PairFlags events = flags & (found ? PairFlag::NotifyTouchFound : PairFlag::NotifyTouchPersists);
        if (events) add(t, events, (flags & PairFlag::NotifyContactPoints) ? t.count : 0);
    }
    for (const Touch& t : previous.touches) {
        const Key key({t.actors[0], t.shapes[0]}, {t.actors[1], t.shapes[1]});
        if (current.index.find(key) != current.index.end()) continue;
        const PairFlags events = flagsOf(key) & PairFlag::NotifyTouchLost;
        if (events) add(t, events, 0);
    }
    for (const Report& r : reports) {
        ContactPairHeader header;
        header.actors[0] = &r.actors[0]->owner();
        header.actors[1] = &r.actors[1]->owner();
        callback.onContact(header, r.pairs.data(), uint32_t(r.pairs.size()));
    }
}

void BulletPairTable::report(btDispatcher& dispatcher, SimulationEventCallback* callback) {
    collectTouches(dispatcher);
    if (callback) deliver(*callback);
    std::swap(previous, current);
}

bool BulletPairTable::onContactAdded(btManifoldPoint& point, const btCollisionObjectWrapper* wrapper0, int, int,
                                     const btCollisionObjectWrapper* wrapper1, int, int) {
    const btCollisionObject* object0 = wrapper0->getCollisionObject();
    const btCollisionObject* object1 = wrapper1->getCollisionObject();
    const int child0 = childIndexOf(wrapper0);
    const int child1 = childIndexOf(wrapper1);
    point.m_userPersistentData = encodeChildren(object0, child0, object1, child1);

    const BulletActor* actor0 = BulletActor::of(object0);
    const BulletActor* actor1 = BulletActor::of(object1);
    const BulletShape* shape0 = actor0 ? actor0->shapeOfChild(child0) : nullptr;
    const BulletShape* shape1 = actor1 ? actor1->shapeOfChild(child1) : nullptr;
    if (shape0 && shape1) {
        const BulletMaterial& m0 = shape0->material();
        const BulletMaterial& m1 = shape1->material();
        point.m_combinedFriction = 0.5f * (m0.getDynamicFriction() + m1.getDynamicFriction());
        point.m_combinedRestitution = 0.5f * (m0.getRestitution() + m1.getRestitution());
    }
    return true;
}

}  // namespace phys
