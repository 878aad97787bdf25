#include "objects/ParticleObject.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "app/Globals.h"
#include "objects/HexColor.h"
#include "render/ModelCache.h"
#include "render/Shader.h"

namespace {

constexpr int32_t PuffCount = 1000;
constexpr float RingRadius = 3.5f;
constexpr float BurstDurationMs = 1000.0f;
constexpr float UnitScale = 2.3283064e-10f;  // 2^-32
constexpr float RisingSpeed = 2.0f;           // particleVelocity.y at the start of every run
constexpr float DriftFactor = 70.0f;          // velocity units per second of frame time
constexpr int32_t ThinningDivisor = 50;
constexpr GLuint FirstInstanceAttribute = 3;  // a mat4 takes attributes 3 to 6
constexpr GLsizei MatrixBytes = sizeof(glm::mat4);

void SetMatrix(GLuint program, const char* name, const glm::mat4& matrix) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(matrix));
}

}  // namespace

float RandomUnitFloat() {
    return static_cast<float>(randomEngine()) * UnitScale;
}

namespace object {

glm::vec3 ParticleObject::particleVelocity(0.5f, RisingSpeed, 0.0f);

ParticleObject::ParticleObject(std::string name, Shader* shader, glm::mat4 projection,
                               const glm::mat4& emitterMatrix, phys::Physics* physics, phys::Cooking* cooking)
    : GameObject(std::move(name), shader, projection),
      instanceVbo(0),
      instanceMatrices(nullptr),
      instanceCount(0),
      active(false),
      visibleCount(PuffCount),
      movingMatrix(1.0f),
      emitterMatrix(emitterMatrix),
      vao(0),
      radius(RingRadius),
      duration(BurstDurationMs),
      elapsed(0.0f) {
    // One smoke model for every burst. The per-puff attributes go into a vertex array of
    // the burst's own over the shared buffers, so that bursts do not overwrite each other's.
    setModel(ModelCache::load(ModelPath, cooking, physics));
    mesh.vao = mesh.createVertexArray();
    instanceMatrices = new glm::mat4[PuffCount];
    instanceCount = PuffCount;
    setupInstances();
}

ParticleObject::~ParticleObject() {
    delete[] instanceMatrices;
    if (instanceVbo != 0) glDeleteBuffers(1, &instanceVbo);
    if (mesh.vao != 0) glDeleteVertexArrays(1, &mesh.vao);
}

void ParticleObject::setupInstances() {
    for (int32_t i = 0; i < visibleCount; ++i) {
        const float r1 = RandomUnitFloat();
        glm::mat4 m = glm::rotate(emitterMatrix, (r1 * 2.0f - 1.0f) * 360.0f, glm::vec3(0.0f, 1.0f, 0.0f));
        // The ring angle is used as radians although it runs up to 360.
        const float a = (static_cast<float>(i) / static_cast<float>(visibleCount)) * 360.0f;
        const float r2 = RandomUnitFloat();
        const float tx = std::sin(a) * radius + (r2 * 2.0f - 1.0f);
        const float r3 = RandomUnitFloat();
        const float ty = (r3 * 2.0f - 1.0f) * 0.4f + 1.0f;
        const float r4 = RandomUnitFloat();
        const float tz = std::cos(a) * radius + (r4 * 2.0f - 1.0f);
        m = glm::translate(m, glm::vec3(tx, ty, tz));
        const float r5 = RandomUnitFloat();
        const float s = static_cast<float>(static_cast<double>(r5) * 0.25);
        m = glm::scale(m, glm::vec3(s, s, s));
        instanceMatrices[i] = m;
    }

    glGenBuffers(1, &instanceVbo);
    glBindBuffer(GL_ARRAY_BUFFER, instanceVbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(visibleCount) * MatrixBytes, instanceMatrices,
                 GL_STATIC_DRAW);
    vao = mesh.vao;
    glBindVertexArray(vao);
    for (GLuint column = 0; column < 4; ++column) {
        const GLuint location = FirstInstanceAttribute + column;
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, MatrixBytes,
                              reinterpret_cast<const void*>(static_cast<size_t>(column) * sizeof(glm::vec4)));
    }
    for (GLuint column = 0; column < 4; ++column) glVertexAttribDivisor(FirstInstanceAttribute + column, 1);
    glBindVertexArray(0);
}

void ParticleObject::update(float deltaMs) {
    if (!active) return;
    elapsed += deltaMs;
    particleVelocity.y = static_cast<float>(particleVelocity.y - static_cast<double>(deltaMs) * 5.0 / 1000.0);
    const float f = deltaMs / 1000.0f * DriftFactor;
    movingMatrix = glm::translate(movingMatrix, glm::vec3(particleVelocity.x * f, particleVelocity.y * f,
                                                          particleVelocity.z * f));
    const float thinning = static_cast<float>(instanceCount / ThinningDivisor) * f;
    visibleCount = static_cast<int32_t>(static_cast<float>(visibleCount) - thinning);

    if (elapsed > duration) {
        glBindBuffer(GL_ARRAY_BUFFER, instanceVbo);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instanceCount) * MatrixBytes, instanceMatrices,
                     GL_STATIC_DRAW);
        movingMatrix = glm::mat4(1.0f);
        visibleCount = instanceCount;
        elapsed = 0.0f;
        active = false;
        particleVelocity.y = RisingSpeed;
    }
}

void ParticleObject::draw() {
    if (!active) return;
    const GLuint program = shader->program;
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "hexColor"), HexColor::None);
    glUniform1i(glGetUniformLocation(program, "particle"), 1);
    SetMatrix(program, "projectionView", projectionViewMatrix);
    SetMatrix(program, "movingMatrix", movingMatrix);
    glUniform1i(glGetUniformLocation(program, "texture_diffuse1"), 0);
    glActiveTexture(GL_TEXTURE0);
    // A smoke model without texture draws its puffs untextured.
    glBindTexture(GL_TEXTURE_2D, mesh.textures.empty() ? 0 : mesh.textures.front().id);
    glBindVertexArray(vao);
    if (visibleCount > 0) {
        glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_INT, nullptr,
                                visibleCount);
    }
    glBindVertexArray(0);
}

}  // namespace object
