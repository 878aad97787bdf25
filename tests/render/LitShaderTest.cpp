// The lit program as the game drives it: tile tints, brightness under the game's sun,
// shadows from the depth pass, gamma, and the instanced smoke path.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "app/Globals.h"
#include "objects/GameObject.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"

namespace {

constexpr int ViewSize = 200;  // pixels; the camera sees x and z from -10 to 10

GLuint WhiteTexture() {
    GLuint id = 0;
    const unsigned char white[4] = {255, 255, 255, 255};
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

Mesh Square(float half, GLuint texture) {
    const glm::vec3 up(0, 1, 0);
    std::vector<Vertex> vertices = {{{-half, 0, -half}, up, {0, 0}},
                                    {{half, 0, -half}, up, {1, 0}},
                                    {{half, 0, half}, up, {1, 1}},
                                    {{-half, 0, half}, up, {0, 1}}};
    return Mesh(vertices, {0, 2, 1, 0, 3, 2}, {{texture, "texture_diffuse", "white.png", 10.0f}});
}

// The smoke puff's mesh: a square of half-width 1 in its own x-y plane, which the lit
// program turns towards the viewer and draws as a ball.
Mesh PuffSquare(GLuint texture) {
    const glm::vec3 facing(0, 0, 1);
    std::vector<Vertex> vertices = {{{-1, -1, 0}, facing, {0.05f, 0.05f}},
                                    {{1, -1, 0}, facing, {0.95f, 0.05f}},
                                    {{1, 1, 0}, facing, {0.95f, 0.95f}},
                                    {{-1, 1, 0}, facing, {0.05f, 0.95f}}};
    return Mesh(vertices, {0, 1, 2, 0, 2, 3}, {{texture, "texture_diffuse", "white.png", 10.0f}});
}

glm::ivec2 ScreenOf(float x, float z) {
    return {static_cast<int>((x + 10.0f) / 20.0f * ViewSize), static_cast<int>((10.0f - z) / 20.0f * ViewSize)};
}

// Sets what RenderFrame and GameObject::draw set, with a camera looking straight down.
class LitShader : public testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        program = rendertest::Shaders()->complexShader->program;
        texture = WhiteTexture();
        floor.mesh = Square(10.0f, texture);
        floor.modelMatrix = glm::mat4(1.0f);  // a new object's matrix is all zero
        testing::internal::CaptureStdout();
        shadowMap.reset(new service::ShadowMap());
        testing::internal::GetCapturedStdout();
        target.reset(new rendertest::OffscreenTarget(ViewSize, ViewSize));
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    }
    void TearDown() override {
        floor.mesh.release();
    }

    void shadowPass(std::vector<object::GameObject*> casters) {
        shadowMap->render(casters, rendertest::Shaders()->shadowMapShader);
        target.reset();  // the depth pass left framebuffer 0 and its own viewport
        target.reset(new rendertest::OffscreenTarget(ViewSize, ViewSize));
    }

    void drawFloor(int hexColor, float gamma = 1.0f) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, shadowMap->getDepthMap());
        glActiveTexture(GL_TEXTURE0);
        glUseProgram(program);
        glUniform3f(glGetUniformLocation(program, "sun.direction"), -2.0f, -2.0f, 0.0f);
        glUniform3f(glGetUniformLocation(program, "viewPosition"), 0.0f, 20.0f, 0.0f);
        glUniform3f(glGetUniformLocation(program, "sun.ambient"), 0.8f, 0.8f, 0.8f);
        glUniform3f(glGetUniformLocation(program, "sun.diffuse"), 1.2f, 1.2f, 1.2f);
        glUniform3f(glGetUniformLocation(program, "sun.specular"), 4.0f, 4.0f, 4.0f);
        glUniform1i(glGetUniformLocation(program, "hexColor"), hexColor);
        glUniform1i(glGetUniformLocation(program, "particle"), 0);
        glUniform1i(glGetUniformLocation(program, "shadowMap"), 1);
        glUniform1i(glGetUniformLocation(program, "skyBox"), 3);
        glUniform1f(glGetUniformLocation(program, "gamma"), gamma);
        const glm::mat4 lightSpace = lightProjection * lightView;
        glUniformMatrix4fv(glGetUniformLocation(program, "lightSpaceMatrix"), 1, GL_FALSE, glm::value_ptr(lightSpace));
        glUniformMatrix4fv(glGetUniformLocation(program, "modelMatrix"), 1, GL_FALSE,
                           glm::value_ptr(floor.modelMatrix));
        glUniformMatrix4fv(glGetUniformLocation(program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(cameraMatrix()));
        floor.mesh.draw(rendertest::Shaders()->complexShader);
    }

    static glm::mat4 cameraMatrix() {
        return glm::ortho(-10.0f, 10.0f, -10.0f, 10.0f, 0.1f, 50.0f) *
               glm::lookAt(glm::vec3(0, 20, 0), glm::vec3(0, 0, 0), glm::vec3(0, 0, -1));
    }

    glm::ivec3 centre() const { return target->pixel(ViewSize / 2, ViewSize / 2); }

    GLuint program = 0;
    GLuint texture = 0;
    object::GameObject floor;
    std::unique_ptr<rendertest::OffscreenTarget> target;
    std::unique_ptr<service::ShadowMap> shadowMap;
};

int Distance(const glm::ivec3& a, const glm::ivec3& b) {
    const glm::ivec3 d = glm::abs(a - b);
    return d.x + d.y + d.z;
}

}  // namespace

TEST_F(LitShader, PlainSurfaceUnderTheGameSunIsLitButNotWashedOut) {
    shadowPass({&floor});
    drawFloor(0);
    const glm::ivec3 plain = centre();
    EXPECT_GT(plain.x, 120);
    EXPECT_LT(plain.x, 245) << "ambient 0.8 + diffuse 1.2 must not saturate";
    EXPECT_NEAR(plain.x, plain.y, 8) << "a white texture stays neutral";
    EXPECT_NEAR(plain.y, plain.z, 12);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LitShader, TileColoursAreClearlyDifferent) {
    shadowPass({&floor});
    std::map<int, glm::ivec3> colour;
    for (int hex : {0, 1, 2, 3, 6}) {
        drawFloor(hex);
        colour[hex] = centre();
    }
    const glm::ivec3 target = colour[1], visited = colour[2], wrong = colour[3], goal = colour[6];
    EXPECT_GT(target.x, target.z + 80);
    EXPECT_GT(target.y, target.z + 50) << "target is gold";
    EXPECT_GT(visited.y, visited.x + 60);
    EXPECT_GT(visited.y, visited.z + 60) << "visited is green";
    EXPECT_GT(wrong.x, wrong.y + 80);
    EXPECT_GT(wrong.x, wrong.z + 80) << "wrong is red";
    EXPECT_GT(goal.z, goal.y + 80) << "goal is blue/purple";
    for (int a : {0, 1, 2, 3, 6}) {
        for (int b : {0, 1, 2, 3, 6}) {
            if (a < b) {
                EXPECT_GT(Distance(colour[a], colour[b]), 90) << a << " vs " << b;
            }
        }
    }
}

TEST_F(LitShader, ABlockerBetweenSunAndFloorCastsAShadow) {
    object::GameObject blocker;
    blocker.mesh = Square(3.0f, texture);
    blocker.mesh.textures.clear();  // shares the floor's texture; released with the floor
    blocker.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 5.0f, 0.0f));
    shadowPass({&floor, &blocker});
    drawFloor(0);
    // The sun comes down at 45 degrees from +x: the shadow falls 5 units towards -x.
    const glm::ivec2 shaded = ScreenOf(-5.0f, 0.0f);
    const glm::ivec2 lit = ScreenOf(5.0f, 0.0f);
    const glm::ivec3 inShadow = target->pixel(shaded.x, shaded.y);
    const glm::ivec3 inSun = target->pixel(lit.x, lit.y);
    EXPECT_LT(inShadow.x + 40, inSun.x) << "shadowed " << inShadow.x << " vs lit " << inSun.x;
    EXPECT_GT(inShadow.x, 30) << "ambient light remains in the shadow";
    // No acne: the open floor's light changes smoothly from pixel to pixel.
    const glm::ivec2 open = ScreenOf(3.0f, 6.0f);
    for (int x = open.x; x < open.x + 50; ++x) {
        EXPECT_NEAR(target->pixel(x, open.y).x, target->pixel(x + 1, open.y).x, 2) << "at " << x;
    }
    blocker.mesh.release();
}

TEST_F(LitShader, GammaAboveOneBrightens) {
    shadowPass({&floor});
    drawFloor(0, 1.0f);
    const int linear = centre().x;
    drawFloor(0, 2.2f);
    EXPECT_GT(centre().x, linear + 10);
    drawFloor(0, 0.5f);
    EXPECT_LT(centre().x, linear - 40);
}

TEST_F(LitShader, SmokeInstancesAreDrawnWhereTheirMatricesAndTheDriftPutThem) {
    // Puffs of radius 1 at x = -6 and x = 2, the second turned about +Y, and one scaled to
    // half the size at (-2, 5), as a burst's matrices place them; all drifted by +2 along x.
    const glm::mat4 puffs[3] = {
        glm::translate(glm::mat4(1.0f), glm::vec3(-6.0f, 0.0f, 0.0f)),
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 0.0f, 0.0f)), 2.0f, glm::vec3(0.0f, 1.0f, 0.0f)),
        glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(-2.0f, 0.0f, 5.0f)), glm::vec3(0.5f))};
    Mesh puff = PuffSquare(texture);
    GLuint instances = 0;
    glGenBuffers(1, &instances);
    glBindBuffer(GL_ARRAY_BUFFER, instances);
    glBufferData(GL_ARRAY_BUFFER, sizeof(puffs), puffs, GL_STATIC_DRAW);
    glBindVertexArray(puff.vao);
    for (GLuint location = 3; location <= 6; ++location) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, sizeof(glm::mat4),
                              reinterpret_cast<const void*>((location - 3) * sizeof(glm::vec4)));
        glVertexAttribDivisor(location, 1);
    }
    glBindVertexArray(0);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    const glm::mat4 drift = glm::translate(glm::mat4(1.0f), glm::vec3(2.0f, 0.0f, 0.0f));
    glUniform3f(glGetUniformLocation(program, "sun.direction"), -2.0f, -2.0f, 0.0f);
    glUniform3f(glGetUniformLocation(program, "sun.ambient"), 0.8f, 0.8f, 0.8f);
    glUniform3f(glGetUniformLocation(program, "sun.diffuse"), 1.2f, 1.2f, 1.2f);
    glUniform3f(glGetUniformLocation(program, "viewPosition"), 0.0f, 20.0f, 0.0f);
    glUniform1f(glGetUniformLocation(program, "gamma"), 1.0f);
    glUniform1i(glGetUniformLocation(program, "hexColor"), 0);
    glUniform1i(glGetUniformLocation(program, "particle"), 1);
    glUniformMatrix4fv(glGetUniformLocation(program, "projectionView"), 1, GL_FALSE, glm::value_ptr(cameraMatrix()));
    glUniformMatrix4fv(glGetUniformLocation(program, "movingMatrix"), 1, GL_FALSE, glm::value_ptr(drift));
    glUniform1i(glGetUniformLocation(program, "texture_diffuse1"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindVertexArray(puff.vao);
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(puff.indices.size()), GL_UNSIGNED_INT, nullptr, 3);
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const glm::ivec2 first = ScreenOf(-4.0f, 0.0f), second = ScreenOf(4.0f, 0.0f), between = ScreenOf(0.0f, 0.0f);
    // See-through comes from a screen-door pattern: part of each puff's pixels are left
    // out and the rest are bright smoke, never dark soot.
    const auto coverage = [&](glm::ivec2 centre, int& brightest) {
        int drawn = 0;
        brightest = 0;
        for (int dy = -4; dy < 4; ++dy) {
            for (int dx = -4; dx < 4; ++dx) {
                const int red = target->pixel(centre.x + dx, centre.y + dy).x;
                if (red > 0) ++drawn;
                brightest = std::max(brightest, red);
            }
        }
        return drawn / 64.0;
    };
    int brightestA = 0, brightestB = 0;
    const double a = coverage(first, brightestA);
    const double b = coverage(second, brightestB);
    EXPECT_NEAR(a, 0.55, 0.15) << "smoke is see-through";
    EXPECT_DOUBLE_EQ(a, b);
    EXPECT_GT(brightestA, 150) << "smoke is light, not soot";
    EXPECT_EQ(target->pixel(between.x, between.y), glm::ivec3(0)) << "nothing between the puffs";

    // Round, not square: the corners of the first puff's square stay empty while the rim
    // of its ball is drawn, whichever way the camera looks at it.
    const auto drawnAround = [&](float x, float z) {
        const glm::ivec2 p = ScreenOf(x, z);
        int drawn = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) drawn += target->pixel(p.x + dx, p.y + dy).x > 0 ? 1 : 0;
        return drawn;
    };
    for (const float cornerX : {-0.85f, 0.85f}) {
        for (const float cornerZ : {-0.85f, 0.85f}) {
            EXPECT_EQ(drawnAround(-4.0f + cornerX, cornerZ), 0) << "corner " << cornerX << ", " << cornerZ;
        }
    }
    EXPECT_GT(drawnAround(-4.0f + 0.75f, 0.0f) + drawnAround(-4.0f - 0.75f, 0.0f), 0) << "rim of the ball";
    // The third puff's matrix halves its size.
    EXPECT_GT(drawnAround(0.0f, 5.0f), 0);
    EXPECT_EQ(drawnAround(0.75f, 5.0f) + drawnAround(-0.75f, 5.0f), 0) << "third puff has radius 0.5";
    glUniform1i(glGetUniformLocation(program, "particle"), 0);
    puff.textures.clear();
    puff.release();
    glDeleteBuffers(1, &instances);
}
