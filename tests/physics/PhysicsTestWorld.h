// A small headless physics world for the tests: the process's one foundation, physics
// and cooking (made on first use, kept to the end), a scene stepped at 60 Hz, and
// builders for the bodies the game uses (hex tiles, boxes, the death-zone plane).
#pragma once

#include <vector>

#include <glm/glm.hpp>

#include "physics/Cooking.h"
#include "physics/Material.h"
#include "physics/Physics.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Scene.h"
#include "physics/Shape.h"
#include "physics/TriangleMesh.h"

namespace test {

constexpr float StepSeconds = 1.0f / 60.0f;
constexpr float TileCircumradius = 4.0f;
constexpr float TileHalfThickness = 0.5f;
// Centre distance of two neighbouring tiles in a row (edge to edge).
const float TileWidth = TileCircumradius * 1.7320508f;

phys::Physics& physics();
phys::Cooking& cooking();

// A hexagonal prism like the game's tile: circumradius 4 in the xz plane, 1 thick.
// NOTE: unlike the tile, its top faces inwards, so a controller's box is never pushed up
// out of it.
phys::TriangleMesh* cookHexPrism();
// An axis-aligned box as a triangle mesh, like the game's platform and wall models, its
// faces turned outwards as theirs are.
phys::TriangleMesh* cookBlock(const glm::vec3& halfExtents);
// A wedge rising along +x from height 0 at x = 0 to `height` at x = `length`, z in [-5, 5].
phys::TriangleMesh* cookRamp(float length, float height);

class PhysicsTestWorld {
public:
    explicit PhysicsTestWorld(phys::SimulationEventCallback* callback = nullptr,
                              phys::FilterShader shader = nullptr, const glm::vec3& gravity = {0.0f, -9.8f, 0.0f});
    ~PhysicsTestWorld();
    PhysicsTestWorld(const PhysicsTestWorld&) = delete;
    PhysicsTestWorld& operator=(const PhysicsTestWorld&) = delete;

    phys::Scene& scene() { return *world; }
    void step(int count = 1);

    // Static actor with one shape of its own, as the game builds tiles and the platform.
    phys::RigidStatic* addStaticMesh(phys::TriangleMesh* mesh, const glm::vec3& position, const char* name,
                                     float friction = 0.5f);
    phys::RigidStatic* addHexTile(const glm::vec3& position, const char* name);
    phys::RigidStatic* addBlock(const glm::vec3& position, const glm::vec3& halfExtents, const char* name,
                                float friction = 0.5f);
    phys::RigidStatic* addRamp(const glm::vec3& position, float length, float height, const char* name);
    phys::RigidDynamic* addBox(const glm::vec3& position, const glm::vec3& halfExtents, const char* name,
                               float friction = 0.01f, float restitution = 0.01f);
    // The death zone: a plane turned a quarter about +z, its solid side below y.
    phys::RigidStatic* addDeathZone(float y);

private:
    void addWithShape(phys::RigidActor& actor, const phys::Geometry& geometry, const char* name, float friction,
                      float restitution);

    phys::Scene* world;
    phys::TriangleMesh* hexMesh = nullptr;
    std::vector<phys::TriangleMesh*> meshes;
};

}  // namespace test
