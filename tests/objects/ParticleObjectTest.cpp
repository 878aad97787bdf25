// The smoke burst: the random source, the puffs it lays out once, and a run of updates
// from start to reset, alone and beside a second burst.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "GlTestContext.h"
#include "app/Globals.h"
#include "objects/ObjectsTestSupport.h"
#include "objects/ParticleObject.h"

namespace {

constexpr double TwoToMinus32 = 1.0 / 4294967296.0;

TEST(RandomUnitFloatTest, DefaultSeededEngineScaledByTwoToMinus32) {
    randomEngine = std::mt19937();
    // The first outputs of a default-seeded mt19937.
    const double outputs[] = {3499211612.0, 581869302.0, 3890346734.0, 3586334585.0, 545404204.0};
    for (double output : outputs) EXPECT_FLOAT_EQ(RandomUnitFloat(), static_cast<float>(output * TwoToMinus32));
    randomEngine = std::mt19937();
    randomEngine.discard(9999);
    EXPECT_FLOAT_EQ(RandomUnitFloat(), static_cast<float>(4123659995.0 * TwoToMinus32));
}

class BurstTest : public ::testing::Test {
protected:
    const glm::mat4 emitter = glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 1.0f, -34.0f));

    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(testsupport::TrackedFilesPresent({object::ParticleObject::ModelPath}));
        object::ParticleObject::particleVelocity = glm::vec3(0.5f, 2.0f, 0.0f);
    }

    std::unique_ptr<object::ParticleObject> makeBurst() {
        // No physics: the smoke model's collision mesh is not needed here.
        return std::make_unique<object::ParticleObject>("particlesystem", nullptr, glm::mat4(1.0f), emitter, nullptr,
                                                        nullptr);
    }
};

TEST_F(BurstTest, FirstPuffSitsOnTheRingTurnedAndScaledByTheFirstFiveDraws) {
    randomEngine = std::mt19937();
    auto burst = makeBurst();
    std::mt19937 reference;
    double r[5];
    for (double& value : r) value = static_cast<float>(static_cast<double>(reference()) * TwoToMinus32);

    // Puff 0 sits at ring angle 0: offset (jitter, height, radius + jitter) in its turned frame.
    const double angle = static_cast<float>((r[0] * 2.0 - 1.0) * 360.0);
    const glm::dvec3 local(r[1] * 2.0 - 1.0, (r[2] * 2.0 - 1.0) * 0.4 + 1.0, 3.5 + (r[3] * 2.0 - 1.0));
    const glm::dvec3 turned(local.x * std::cos(angle) + local.z * std::sin(angle), local.y,
                            -local.x * std::sin(angle) + local.z * std::cos(angle));
    const glm::mat4& puff = burst->instanceMatrices[0];
    EXPECT_NEAR(puff[3][0], 2.0 + turned.x, 2e-3);
    EXPECT_NEAR(puff[3][1], 1.0 + turned.y, 2e-3);
    EXPECT_NEAR(puff[3][2], -34.0 + turned.z, 2e-3);
    EXPECT_NEAR(puff[3][3], 1.0f, 1e-6f);
    const double scale = r[4] * 0.25;
    EXPECT_NEAR(glm::length(glm::vec3(puff[0])), scale, 1e-5);
    EXPECT_NEAR(glm::length(glm::vec3(puff[1])), scale, 1e-5);
    EXPECT_NEAR(puff[1][1], scale, 1e-5);  // turned about the vertical only
    EXPECT_NEAR(puff[0][0], scale * std::cos(angle), 1e-3);

    // The instance buffer holds the same matrices, one per instance on attributes 3 to 6.
    std::vector<glm::mat4> uploaded(static_cast<size_t>(burst->instanceCount));
    glBindBuffer(GL_ARRAY_BUFFER, burst->instanceVbo);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(uploaded.size() * sizeof(glm::mat4)),
                       uploaded.data());
    EXPECT_EQ(uploaded.front(), burst->instanceMatrices[0]);
    EXPECT_EQ(uploaded.back(), burst->instanceMatrices[burst->instanceCount - 1]);
    EXPECT_EQ(burst->vao, burst->mesh.vao);
    glBindVertexArray(burst->vao);
    for (GLuint location = 3; location <= 6; ++location) {
        GLint divisor = 0;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &divisor);
        EXPECT_EQ(divisor, 1) << location;
    }
    glBindVertexArray(0);
}

TEST_F(BurstTest, ThinsBy24Per17MsAndEndsOnTheFirstUpdatePast1000Ms) {
    auto burst = makeBurst();
    burst->active = true;
    int updates = 0;
    while (burst->visibleCount > 0) {
        const int before = burst->visibleCount;
        burst->update(17.0f);
        ++updates;
        if (burst->visibleCount > 0) {
            ASSERT_EQ(burst->visibleCount, before - 24) << "update " << updates;
        }
    }
    EXPECT_EQ(updates, 42);  // 714 ms
    // The whole burst drifts along +x.
    EXPECT_GT(burst->movingMatrix[3][0], 0.0f);
    while (burst->active) {
        burst->update(17.0f);
        ++updates;
    }
    EXPECT_EQ(updates, 59);  // 1003 ms
    EXPECT_EQ(burst->visibleCount, 1000);
    EXPECT_EQ(burst->elapsed, 0.0f);
    EXPECT_EQ(burst->movingMatrix, glm::mat4(1.0f));
    EXPECT_FLOAT_EQ(object::ParticleObject::particleVelocity.y, 2.0f);

    // Exactly 1000 ms does not end a run; the next update does.
    burst->active = true;
    for (int i = 0; i < 4; ++i) burst->update(250.0f);
    EXPECT_TRUE(burst->active);
    burst->update(1.0f);
    EXPECT_FALSE(burst->active);
}

TEST_F(BurstTest, TwoRunningBurstsShareTheVelocity) {
    auto first = makeBurst();
    auto second = makeBurst();
    first->active = true;
    second->active = true;
    const float f = 17.0f / 1000.0f * 70.0f;
    first->update(17.0f);
    second->update(17.0f);
    // Each update lowers the one shared y by 5 per second.
    EXPECT_NEAR(first->movingMatrix[3][1], (2.0f - 0.085f) * f, 1e-5f);
    EXPECT_NEAR(second->movingMatrix[3][1], (2.0f - 0.17f) * f, 1e-5f);
    EXPECT_NEAR(object::ParticleObject::particleVelocity.y, 1.83f, 1e-5f);

    // The first to end sets y back while the other still runs.
    first->update(1000.0f);
    EXPECT_FALSE(first->active);
    EXPECT_TRUE(second->active);
    EXPECT_FLOAT_EQ(object::ParticleObject::particleVelocity.y, 2.0f);
    second->update(17.0f);
    EXPECT_NEAR(second->movingMatrix[3][1], (2.0f - 0.17f) * f + (2.0f - 0.085f) * f, 1e-4f);
}

// Every burst draws the one smoke mesh, but its puffs come from its own instance buffer:
// a vertex array shared between bursts would make every burst draw the last one's ring.
TEST_F(BurstTest, BurstsShareTheSmokeMeshButEachDrawsItsOwnPuffs) {
    auto first = makeBurst();
    auto second = makeBurst();
    EXPECT_EQ(first->mesh.vbo, second->mesh.vbo);
    EXPECT_EQ(first->mesh.ebo, second->mesh.ebo);
    ASSERT_FALSE(first->mesh.textures.empty());
    EXPECT_EQ(first->mesh.textures[0].id, second->mesh.textures[0].id);
    EXPECT_NE(first->vao, second->vao);
    EXPECT_NE(first->instanceVbo, second->instanceVbo);

    for (object::ParticleObject* burst : {first.get(), second.get()}) {
        glBindVertexArray(burst->vao);
        GLint positions = 0, puffs = 0, elements = 0;
        glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &positions);
        glGetVertexAttribiv(3, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &puffs);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
        glBindVertexArray(0);
        EXPECT_EQ(static_cast<GLuint>(positions), burst->mesh.vbo);
        EXPECT_EQ(static_cast<GLuint>(elements), burst->mesh.ebo);
        EXPECT_EQ(static_cast<GLuint>(puffs), burst->instanceVbo);
    }

    // A burst that goes takes its own vertex array and puffs, not the shared mesh.
    const GLuint firstVao = first->vao;
    const GLuint firstPuffs = first->instanceVbo;
    first.reset();
    EXPECT_FALSE(glIsVertexArray(firstVao));
    EXPECT_FALSE(glIsBuffer(firstPuffs));
    EXPECT_TRUE(glIsVertexArray(second->vao));
    EXPECT_TRUE(glIsBuffer(second->mesh.vbo));
    EXPECT_TRUE(glIsBuffer(second->mesh.ebo));
    EXPECT_TRUE(glIsTexture(second->mesh.textures[0].id));
}

}  // namespace
