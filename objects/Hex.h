// One hexagonal floor tile: a static actor from the tile model's triangle mesh, a
// colour state for the lit shader, target/goal/visited marks, an optional swing along
// z (a moving tile) and a smoke burst of its own.
// NOTE: clones share the start tile's mesh GL names and triangle mesh (see CloneHex);
// only the start tile releases those.
#pragma once

#include <cstdint>
#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"
#include "objects/HexColor.h"
#include "render/Mesh.h"

namespace phys {
class Cooking;
}

namespace object {

class ParticleObject;

class Hex : public GameObject {
public:
    Mesh burstMesh;
    ParticleObject* burst;
    bool isGoal;
    bool isMoving;
    int32_t hexColor;
    bool isTarget;
    bool visited;
    float baseZ;
    float amplitude;
    // Set by CloneHex: the mesh GL names and triangleMesh belong to the start tile.
    bool sharesPrototypeMesh;

    // The tile clock in milliseconds, shared by all tiles: advances on every tile
    // update and is never reset. It is the phase of every moving tile.
    static float hexTime;

    Hex(std::string name, Shader* shader, glm::mat4 projection, Mesh burstMesh);
    // Releases the tile's own actor (leaving the scene), shape, material and burst. A
    // tile that is no clone (the start tile) also deletes the mesh GL objects and releases
    // the triangle mesh that its clones share: delete it after them.
    // NOTE: delete tiles before releasing the scene that holds their actors.
    ~Hex() override;

    // Builds the static actor at position and the burst; the caller adds the actor to
    // the scene. Needs triangleMesh.
    void init(phys::Physics* physics, const glm::vec3& position, phys::Cooking* cooking);
    void update(float deltaMs) override;
    void setView(glm::mat4 view) override;
    void draw(float gamma) override;
};

}  // namespace object
