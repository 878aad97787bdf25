// One hexagonal floor tile: a static actor from the tile model's triangle mesh, a
// colour state for the lit shader, target/goal/visited marks, an optional swing along
// z (a moving tile) and a smoke burst of its own.
// NOTE: clones borrow the start tile's mesh GL names and triangle mesh (see CloneHex) and
// never free them; whoever frees the start tile's frees theirs.
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

    // The tile clock in milliseconds, shared by all tiles: advances on every tile
    // update and is never reset. It is the phase of every moving tile.
    static float hexTime;

    Hex(std::string name, Shader* shader, glm::mat4 projection, Mesh burstMesh);
    // Deletes the burst; the base releases the actor (leaving the scene), shape, material
    // and a model of the tile's own: a start tile with a model of its own goes after its clones.
    ~Hex() override;

    // Builds the static actor at position and the burst; the caller adds the actor to
    // the scene. Needs triangleMesh.
    void init(phys::Physics* physics, const glm::vec3& position, phys::Cooking* cooking);
    void update(float deltaMs) override;
    void setView(glm::mat4 view) override;
    void draw(float gamma) override;

protected:
    int32_t drawColor() const override;
};

}  // namespace object
