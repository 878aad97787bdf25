// The sun's matrices and the shadow map: framebuffer, console line, the depth pass.
#include <gtest/gtest.h>

#include <memory>

#include <glm/gtc/matrix_transform.hpp>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "app/Globals.h"
#include "objects/GameObject.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"

namespace {

// A flat square of half size `half` in the y = 0 plane.
Mesh Square(float half) {
    const glm::vec3 up(0, 1, 0);
    std::vector<Vertex> vertices = {{{-half, 0, -half}, up, {0, 0}},
                                    {{half, 0, -half}, up, {1, 0}},
                                    {{half, 0, half}, up, {1, 1}},
                                    {{-half, 0, half}, up, {0, 1}}};
    return Mesh(vertices, {0, 2, 1, 0, 3, 2}, {});
}

// Depth-map texel that a world point falls on, and the depth it would store there.
glm::vec3 LightTexel(const glm::vec3& world) {
    const glm::vec4 clip = lightProjection * lightView * glm::vec4(world, 1.0f);
    const glm::vec3 unit = glm::vec3(clip) / clip.w * 0.5f + 0.5f;
    return {unit.x * service::ShadowMap::Size, unit.y * service::ShadowMap::Size, unit.z};
}

float StoredDepth(const service::ShadowMap& map, const glm::vec3& texel) {
    float depth = -1.0f;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, map.depthMapFBO);
    glReadPixels(static_cast<int>(texel.x), static_cast<int>(texel.y), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return depth;
}

service::ShadowMap* NewMapQuietly() {
    testing::internal::CaptureStdout();
    auto* map = new service::ShadowMap();
    testing::internal::GetCapturedStdout();
    return map;
}

class ShadowMapTest : public testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        rendertest::Shaders();
        glEnable(GL_DEPTH_TEST);
    }
};

}  // namespace

TEST(SunMatrices, LightViewLooksFromTwoTwoZeroAtTheOrigin) {
    const glm::vec4 columns[4] = {
        {0.0f, -0.7071068f, 0.7071068f, 0.0f}, {0.0f, 0.7071068f, 0.7071068f, 0.0f}, {-1, 0, 0, 0}, {0, 0, -2.8284271f, 1}};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(lightView[c][r], columns[c][r], 1e-6f) << c << "," << r;
    }
}

TEST(SunMatrices, LightProjectionIsTheFixedOrthoBox) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            const float expected = c != r ? 0.0f : c < 2 ? 1.0f / 140.0f : c == 2 ? -0.025f : 1.0f;
            EXPECT_FLOAT_EQ(lightProjection[c][r], expected) << c << "," << r;
        }
    }
}

TEST_F(ShadowMapTest, BuildsACompleteDepthOnlyFramebuffer) {
    testing::internal::CaptureStdout();
    service::ShadowMap map;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loaded ShadowMap\n\n");
    EXPECT_EQ(map.width, 5000);
    EXPECT_EQ(map.height, 5000);
    EXPECT_EQ(map.getDepthMap(), map.depthMap);

    glBindFramebuffer(GL_FRAMEBUFFER, map.depthMapFBO);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    GLint attached = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME,
                                          &attached);
    EXPECT_EQ(static_cast<GLuint>(attached), map.depthMap);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glBindTexture(GL_TEXTURE_2D, map.depthMap);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 5000);
    GLfloat border[4] = {0, 0, 0, 0};
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
    EXPECT_FLOAT_EQ(border[0], 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(ShadowMapTest, DepthPassStoresTheObjectAndLeavesTheRestFar) {
    std::unique_ptr<service::ShadowMap> map(NewMapQuietly());
    object::GameObject floor;
    floor.mesh = Square(10.0f);
    floor.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(20.0f, 0.0f, 0.0f));

    map->render({&floor}, rendertest::Shaders()->shadowMapShader);

    const glm::vec3 onObject = LightTexel({20.0f, 0.0f, 0.0f});
    EXPECT_NEAR(StoredDepth(*map, onObject), onObject.z, 1e-3f);
    EXPECT_LT(StoredDepth(*map, onObject), 1.0f);
    EXPECT_LT(StoredDepth(*map, LightTexel({27.0f, 0.0f, -7.0f})), 1.0f);
    EXPECT_FLOAT_EQ(StoredDepth(*map, LightTexel({0.0f, 0.0f, 0.0f})), 1.0f);
    EXPECT_FLOAT_EQ(StoredDepth(*map, LightTexel({20.0f, 0.0f, 30.0f})), 1.0f);

    GLint value[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, value);
    EXPECT_EQ(value[0], 0);
    glGetIntegerv(GL_VIEWPORT, value);
    EXPECT_EQ(value[2], 5000);
    GLfloat clear[4] = {0, 0, 0, 0};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(glm::vec4(clear[0], clear[1], clear[2], clear[3]), glm::vec4(1, 0, 1, 1));
    floor.mesh.release();
}

TEST_F(ShadowMapTest, EmptyListClearsToFar) {
    std::unique_ptr<service::ShadowMap> map(NewMapQuietly());
    map->render({}, rendertest::Shaders()->shadowMapShader);
    EXPECT_FLOAT_EQ(StoredDepth(*map, {2500.0f, 2500.0f, 0.0f}), 1.0f);
}

// Every level's map draws into the one framebuffer and texture of the process: a map that
// goes keeps them, the next one finds nothing of the last level's depth in them, and
// releaseShared frees them once, whatever GL hands out under their names afterwards.
TEST_F(ShadowMapTest, MadeAheadTheMapTakesTheSameTargetAndStillClearsIt) {
    service::ShadowMap::releaseShared();
    testing::internal::CaptureStdout();
    service::ShadowMap::makeShared();
    service::ShadowMap::makeShared();  // made once
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the set-up's line comes with the map";

    std::unique_ptr<service::ShadowMap> first(NewMapQuietly());
    const GLuint fbo = first->depthMapFBO, texture = first->depthMap;
    EXPECT_TRUE(glIsFramebuffer(fbo));
    EXPECT_TRUE(glIsTexture(texture));
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    object::GameObject floor;
    floor.mesh = Square(10.0f);
    floor.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(20.0f, 0.0f, 0.0f));
    first->render({&floor}, rendertest::Shaders()->shadowMapShader);
    const glm::vec3 onFloor = LightTexel({20.0f, 0.0f, 0.0f});
    EXPECT_LT(StoredDepth(*first, onFloor), 1.0f);
    first.reset();

    service::ShadowMap::makeShared();
    testing::internal::CaptureStdout();
    std::unique_ptr<service::ShadowMap> second(new service::ShadowMap());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loaded ShadowMap\n\n");
    EXPECT_EQ(second->depthMapFBO, fbo);
    EXPECT_EQ(second->depthMap, texture);
    EXPECT_FLOAT_EQ(StoredDepth(*second, onFloor), 1.0f) << "the level before's depth is gone";
    floor.mesh.release();
}

TEST_F(ShadowMapTest, MapsShareOneTargetClearedForEachAndFreedOnceByReleaseShared) {
    service::ShadowMap* first = NewMapQuietly();
    object::GameObject floor;
    floor.mesh = Square(10.0f);
    floor.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(20.0f, 0.0f, 0.0f));
    first->render({&floor}, rendertest::Shaders()->shadowMapShader);
    const glm::vec3 onFloor = LightTexel({20.0f, 0.0f, 0.0f});
    ASSERT_LT(StoredDepth(*first, onFloor), 1.0f);
    const GLuint fbo = first->depthMapFBO, texture = first->depthMap;
    delete first;
    EXPECT_TRUE(glIsFramebuffer(fbo));
    EXPECT_TRUE(glIsTexture(texture));

    // A scissor left enabled by a depth pass must not keep the old depth outside it.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    testing::internal::CaptureStdout();
    std::unique_ptr<service::ShadowMap> second(new service::ShadowMap());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loaded ShadowMap\n\n");
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    glDisable(GL_SCISSOR_TEST);
    EXPECT_EQ(second->depthMapFBO, fbo);
    EXPECT_EQ(second->depthMap, texture);
    EXPECT_FLOAT_EQ(StoredDepth(*second, onFloor), 1.0f);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    second.reset();

    service::ShadowMap::releaseShared();
    EXPECT_FALSE(glIsFramebuffer(fbo));
    EXPECT_FALSE(glIsTexture(texture));
    // Names freed once: a second release leaves alone what now lives under them.
    GLuint reused = 0;
    glGenTextures(1, &reused);
    glBindTexture(GL_TEXTURE_2D, reused);
    glBindTexture(GL_TEXTURE_2D, 0);
    service::ShadowMap::releaseShared();
    EXPECT_TRUE(glIsTexture(reused));
    glDeleteTextures(1, &reused);

    // The next map makes a working target again.
    std::unique_ptr<service::ShadowMap> third(NewMapQuietly());
    glBindFramebuffer(GL_FRAMEBUFFER, third->depthMapFBO);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    third->render({&floor}, rendertest::Shaders()->shadowMapShader);
    EXPECT_LT(StoredDepth(*third, onFloor), 1.0f);
    floor.mesh.release();
}
