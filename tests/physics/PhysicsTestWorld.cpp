#include "PhysicsTestWorld.h"

#include <cmath>

#include "app/PhysXErrorCallback.h"
#include "physics/Foundation.h"
#include "physics/Geometry.h"

namespace test {

namespace {

struct Engine {
    service::PhysXErrorCallback errors;
    phys::Foundation* foundation;
    phys::Physics* physics;
    phys::Cooking* cooking;
    Engine() {
        foundation = phys::createFoundation(errors);
        physics = phys::createPhysics(foundation);
        cooking = phys::createCooking(physics);
    }
};

Engine& engine() {
    static Engine instance;
    return instance;
}

phys::TriangleMesh* cook(const std::vector<glm::vec3>& points, const std::vector<uint32_t>& indices) {
    phys::TriangleMeshDesc desc;
    desc.points.count = uint32_t(points.size());
    desc.points.data = points.data();
    desc.triangles.count = uint32_t(indices.size() / 3);
    desc.triangles.data = indices.data();
    return cooking().createTriangleMesh(desc);
}

}  // namespace

phys::Physics& physics() { return *engine().physics; }
phys::Cooking& cooking() { return *engine().cooking; }

phys::TriangleMesh* cookHexPrism() {
    std::vector<glm::vec3> points;
    for (float y : {TileHalfThickness, -TileHalfThickness}) {
        points.emplace_back(0.0f, y, 0.0f);
        for (int i = 0; i < 6; ++i) {
            const float angle = float(i) * 3.14159265f / 3.0f;
            points.emplace_back(-TileCircumradius * std::sin(angle), y, TileCircumradius * std::cos(angle));
        }
    }
    std::vector<uint32_t> indices;
    for (uint32_t ring : {0u, 7u}) {
        for (uint32_t i = 0; i < 6; ++i) indices.insert(indices.end(), {ring, ring + 1 + i, ring + 1 + (i + 1) % 6});
    }
    for (uint32_t i = 0; i < 6; ++i) {
        const uint32_t a = 1 + i, b = 1 + (i + 1) % 6;
        indices.insert(indices.end(), {a, b, a + 7, b, b + 7, a + 7});
    }
    return cook(points, indices);
}

phys::TriangleMesh* cookBlock(const glm::vec3& h) {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 8; ++i)
        points.emplace_back((i & 1) ? h.x : -h.x, (i & 2) ? h.y : -h.y, (i & 4) ? h.z : -h.z);
    const std::vector<uint32_t> indices = {0, 3, 1, 0, 2, 3, 4, 7, 6, 4, 5, 7, 0, 5, 4, 0, 1, 5,
                                           2, 7, 3, 2, 6, 7, 0, 6, 2, 0, 4, 6, 1, 7, 5, 1, 3, 7};
    return cook(points, indices);
}

phys::TriangleMesh* cookRamp(float length, float height) {
    const std::vector<glm::vec3> points = {{0, 0, -5}, {0, 0, 5}, {length, 0, -5}, {length, 0, 5},
                                           {length, height, -5}, {length, height, 5}};
    const std::vector<uint32_t> indices = {0, 1, 5, 0, 5, 4, 2, 4, 5, 2, 5, 3, 0, 2, 3, 0, 3, 1, 0, 4, 2, 1, 3, 5};
    return cook(points, indices);
}

PhysicsTestWorld::PhysicsTestWorld(phys::SimulationEventCallback* callback, phys::FilterShader shader,
                                   const glm::vec3& gravity) {
    phys::SceneDesc desc;
    desc.gravity = gravity;
    desc.filterShader = shader;
    desc.simulationEventCallback = callback;
    world = physics().createScene(desc);
}

PhysicsTestWorld::~PhysicsTestWorld() {
    world->release();
    for (phys::TriangleMesh* mesh : meshes) mesh->release();
}

void PhysicsTestWorld::step(int count) {
    for (int i = 0; i < count; ++i) {
        world->simulate(StepSeconds);
        world->fetchResults(true);
    }
}

// Gives the actor one shape of its own material, names it and adds it to the world; the
// actor then holds the only references to shape and material.
void PhysicsTestWorld::addWithShape(phys::RigidActor& actor, const phys::Geometry& geometry, const char* name,
                                    float friction, float restitution) {
    phys::Material* material = physics().createMaterial(friction, friction, restitution);
    phys::Shape* shape = physics().createShape(geometry, material);
    actor.attachShape(shape);
    actor.setName(name);
    shape->release();
    material->release();
    world->addActor(actor);
}

phys::RigidStatic* PhysicsTestWorld::addStaticMesh(phys::TriangleMesh* mesh, const glm::vec3& position,
                                                   const char* name, float friction) {
    phys::RigidStatic* actor = physics().createRigidStatic(phys::Pose(position));
    addWithShape(*actor, phys::Geometry::mesh(mesh), name, friction, 0.5f);
    return actor;
}

phys::RigidStatic* PhysicsTestWorld::addHexTile(const glm::vec3& position, const char* name) {
    if (!hexMesh) {
        hexMesh = cookHexPrism();
        meshes.push_back(hexMesh);
    }
    return addStaticMesh(hexMesh, position, name);
}

phys::RigidStatic* PhysicsTestWorld::addBlock(const glm::vec3& position, const glm::vec3& halfExtents,
                                              const char* name, float friction) {
    meshes.push_back(cookBlock(halfExtents));
    return addStaticMesh(meshes.back(), position, name, friction);
}

phys::RigidStatic* PhysicsTestWorld::addRamp(const glm::vec3& position, float length, float height,
                                             const char* name) {
    meshes.push_back(cookRamp(length, height));
    return addStaticMesh(meshes.back(), position, name);
}

phys::RigidDynamic* PhysicsTestWorld::addBox(const glm::vec3& position, const glm::vec3& halfExtents,
                                             const char* name, float friction, float restitution) {
    phys::RigidDynamic* actor = physics().createRigidDynamic(phys::Pose(position));
    addWithShape(*actor, phys::Geometry::box(halfExtents), name, friction, restitution);
    return actor;
}

phys::RigidStatic* PhysicsTestWorld::addDeathZone(float y) {
    const float half = 3.14159265f / 4.0f;
    const glm::quat quarterTurnAboutZ(std::cos(half), 0.0f, 0.0f, std::sin(half));
    phys::Material* material = physics().createMaterial(0.5f, 0.5f, 0.5f);
    phys::RigidStatic* actor = physics().createRigidStatic(phys::Pose({0.0f, y, 0.0f}, quarterTurnAboutZ));
    phys::Shape* shape = physics().createShape(phys::Geometry::plane(), material);
    actor->attachShape(shape);
    actor->setName("deathZone");
    shape->release();
    material->release();
    world->addActor(*actor);
    return actor;
}

}  // namespace test
