// A tile's smoke burst: a ring of 1000 puffs drawn in one instanced call, idle until a
// holder sets `active`, then drifting, thinning out and resetting after one second.
// Owns its instance buffer and its vertex array; the Smoke.obj buffers, texture and cooked
// triangle mesh under that array are the ModelCache's, shared by every burst.
#pragma once

#include <GL/glew.h>
#include <cstdint>
#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"

namespace phys {
class Cooking;
}

// One full-range draw of randomEngine scaled into [0, 1] (1.0 is possible).
float RandomUnitFloat();

namespace object {

class ParticleObject : public GameObject {
public:
    static constexpr const char* ModelPath = "./res/Models/Smoke.obj";  // every burst's puff

    GLuint instanceVbo;
    glm::mat4* instanceMatrices;
    int32_t instanceCount;
    bool active;
    int32_t visibleCount;
    glm::mat4 movingMatrix;
    glm::mat4 emitterMatrix;
    GLuint vao;
    float radius;
    float duration;
    float elapsed;

    // Drift velocity shared by every burst: each running burst's update lowers its y,
    // and the first burst to end sets y back.
    static glm::vec3 particleVelocity;

    // Needs a current GL context: loads ModelPath and uploads the puffs.
    ParticleObject(std::string name, Shader* shader, glm::mat4 projection, const glm::mat4& emitterMatrix,
                   phys::Physics* physics, phys::Cooking* cooking);
    // Frees the puff array and deletes the instance buffer and the burst's vertex array.
    ~ParticleObject() override;

    void setupInstances();
    void update(float deltaMs) override;
    virtual void draw();
    using GameObject::draw;
};

}  // namespace object
