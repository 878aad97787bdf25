// The hex tile: the shared tile clock, the swing of a moving tile, the colour it draws in,
// and what building and deleting tiles does to shared resources.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>

#include <glm/gtc/matrix_transform.hpp>

#include "GlTestContext.h"
#include "objects/Hex.h"
#include "objects/Matchfield.h"
#include "objects/ObjectsTestSupport.h"
#include "objects/ParticleObject.h"
#include "physics/RigidStatic.h"
#include "render/Model.h"
#include "render/Shader.h"

namespace {

TEST(HexClock, AdvancesOnEveryUpdateOfEveryTile) {
    object::Hex a("1cloned00", nullptr, glm::mat4(1.0f), Mesh());
    object::Hex b("1cloned01", nullptr, glm::mat4(1.0f), Mesh());
    const float start = object::Hex::hexTime;
    a.update(16.0f);
    b.update(16.0f);
    a.update(4.0f);  // the start tile is updated twice in a frame
    EXPECT_FLOAT_EQ(object::Hex::hexTime, start + 36.0f);
}

TEST(HexClock, KeepsAdvancingOverHoursOfPlay) {
    object::Hex tile("1cloned00", nullptr, glm::mat4(1.0f), Mesh());
    // Past 2^29 ms a float clock no longer moves by 17 ms.
    object::Hex::hexTime = 6.0e8f;
    tile.update(17.0f);
    EXPECT_NE(object::Hex::hexTime, 6.0e8f);
    EXPECT_LT(object::Hex::hexTime, 628318.6f);

    object::Hex::hexTime = 0.0f;
    // Five hours of 17 ms updates: a plain float sum would stop changing after about 1.5 h.
    for (int update = 0; update < 1000000; ++update) {
        const float before = object::Hex::hexTime;
        tile.update(17.0f);
        ASSERT_NE(object::Hex::hexTime, before) << "clock stalled at update " << update;
        // The swing phase goes on as if the clock had never been wrapped.
        ASSERT_NEAR(std::sin(object::Hex::hexTime * 1e-5f), std::sin((update + 1) * 17.0 * 1e-5), 2e-3);
    }
}

class MovingTileTest : public ::testing::Test {
protected:
    phys::Scene* world = nullptr;
    phys::TriangleMesh* tileMesh = nullptr;

    void SetUp() override {
        ASSERT_TRUE(objtest::EnsurePhysics()) << "no physics layer";
        world = objtest::NewScene();
        ASSERT_NE(world, nullptr);
        tileMesh = objtest::CookBox(glm::vec3(-3.464f, -0.5f, -4.0f), glm::vec3(3.464f, 0.5f, 4.0f));
        ASSERT_NE(tileMesh, nullptr);
    }
    void TearDown() override {
        if (tileMesh != nullptr) tileMesh->release();
        if (world != nullptr) world->release();
    }

    // A tile with its actor but no burst, standing at position turned about +Y.
    std::unique_ptr<object::Hex> makeTile(const glm::vec3& position) {
        auto tile = std::make_unique<object::Hex>("moving111", nullptr, glm::mat4(1.0f), Mesh());
        tile->borrowModel(Mesh(), tileMesh);  // the mesh is this fixture's
        tile->createActor(physics, ActorKind::StaticMesh);
        tile->staticActor->setGlobalPose(phys::Pose(position, glm::angleAxis(0.3f, glm::vec3(0, 1, 0))));
        tile->baseZ = position.z;
        world->addActor(*tile->staticActor);
        return tile;
    }
};

TEST_F(MovingTileTest, SwingsAlongZAboutBaseWithTheSharedClock) {
    auto tile = makeTile(glm::vec3(2.0f, 1.0f, 30.0f));
    tile->isMoving = true;
    tile->amplitude = 37.0f;
    for (int frame = 0; frame < 5; ++frame) {
        tile->update(16.0f + frame);
        const phys::Pose pose = tile->staticActor->getGlobalPose();
        const float expectedZ = std::sin(object::Hex::hexTime * 1e-5f) * 37.0f + 30.0f;
        EXPECT_FLOAT_EQ(pose.p.z, expectedZ);
        EXPECT_FLOAT_EQ(pose.p.x, 2.0f);
        EXPECT_FLOAT_EQ(pose.p.y, 1.0f);
        EXPECT_FLOAT_EQ(pose.q.w, 1.0f);
        EXPECT_EQ(tile->getPosition(), pose.p);
    }
    // A negative amplitude mirrors the swing about baseZ.
    tile->amplitude = -37.0f;
    tile->update(16.0f);
    const float phase = std::sin(object::Hex::hexTime * 1e-5f);
    EXPECT_FLOAT_EQ(tile->staticActor->getGlobalPose().p.z, phase * -37.0f + 30.0f);
}

// A program that paints "hexColor" / 8 into red where "projectionMatrix" * "modelMatrix"
// puts the mesh.
Shader* ColourShader() {
    static Shader* shader = nullptr;
    if (shader != nullptr) return shader;
    const std::string dir = "/tmp/qv-objects-shader-" + std::to_string(getpid());
    std::system(("mkdir -p " + dir).c_str());
    std::ofstream(dir + "/colour.vert") << "#version 430 core\n"
                                           "layout(location = 0) in vec3 position;\n"
                                           "uniform mat4 modelMatrix;\nuniform mat4 projectionMatrix;\n"
                                           "void main() {\n"
                                           "    gl_Position = projectionMatrix * modelMatrix * vec4(position, 1.0);\n}\n";
    std::ofstream(dir + "/colour.frag") << "#version 430 core\n"
                                           "uniform int hexColor;\nout vec4 colour;\n"
                                           "void main() { colour = vec4(float(hexColor) / 8.0, 0.0, 0.0, 1.0); }\n";
    shader = new Shader(dir + "/colour.vert", dir + "/colour.frag", "");
    std::system(("rm -rf " + dir).c_str());
    return shader;
}

// Two triangles over the whole clip space.
Mesh ScreenQuad() {
    std::vector<Vertex> vertices(4);
    vertices[0].position = glm::vec3(-1, -1, 0);
    vertices[1].position = glm::vec3(1, -1, 0);
    vertices[2].position = glm::vec3(1, 1, 0);
    vertices[3].position = glm::vec3(-1, 1, 0);
    return Mesh(vertices, {0, 1, 2, 0, 2, 3}, {});
}

int RedAtCentre() {
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadPixels(16, 16, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return rgba[0];
}

TEST(HexDraw, SendsItsOwnColourAndOthersSendPlain) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    Shader* shader = ColourShader();
    GLuint fbo = 0, colour = 0;
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 32, 32);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glViewport(0, 0, 32, 32);
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));

    object::Hex tile("1cloned00", shader, glm::mat4(1.0f), Mesh());
    Mesh quad = ScreenQuad();
    tile.setMesh(quad);
    tile.modelMatrix = glm::mat4(1.0f);
    tile.setView(glm::mat4(1.0f));
    object::GameObject plain("right", shader, glm::mat4(1.0f));
    plain.setMesh(tile.mesh);
    plain.modelMatrix = glm::mat4(1.0f);
    plain.setView(glm::mat4(1.0f));

    glUseProgram(shader->program);
    glUniform1i(glGetUniformLocation(shader->program, "hexColor"), HexColor::Goal);
    tile.hexColor = HexColor::Wrong;
    glClear(GL_COLOR_BUFFER_BIT);
    tile.draw(1.0f);
    EXPECT_NEAR(RedAtCentre(), 3 * 255 / 8, 1);  // drawn with its own colour, not the one left over

    plain.draw(1.0f);
    EXPECT_EQ(RedAtCentre(), 0);
    GLint sent = -1;
    glGetUniformiv(shader->program, glGetUniformLocation(shader->program, "hexColor"), &sent);
    EXPECT_EQ(sent, HexColor::None);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &colour);
    quad.release();
}

// Tiles made from the game's tile model, each with its smoke burst.
class TileWorldTest : public ::testing::Test {
protected:
    phys::Scene* world = nullptr;
    object::Hex* prototype = nullptr;

    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        ASSERT_TRUE(objtest::TileModelsPresent());
        ASSERT_TRUE(objtest::EnsurePhysics()) << "no physics layer";
        world = objtest::NewScene();
        ASSERT_NE(world, nullptr);
        prototype = new object::Hex("hex", nullptr, glm::mat4(1.0f), emptyMesh);
        prototype->setModel(Model("./res/Models/spielfeld.obj").load(cooking, physics));
        prototype->init(physics, glm::vec3(0.0f, 1.0f, -34.0f), cooking);
        world->addActor(*prototype->staticActor);
    }
    void TearDown() override {
        delete prototype;
        if (world != nullptr) world->release();
    }
};

TEST_F(TileWorldTest, InitPlacesTheTileUnrotatedWithItsBurstThere) {
    const phys::Pose pose = prototype->staticActor->getGlobalPose();
    EXPECT_EQ(pose.p, glm::vec3(0.0f, 1.0f, -34.0f));
    EXPECT_FLOAT_EQ(pose.q.w, 1.0f);
    EXPECT_STREQ(prototype->staticActor->getName(), "hex");
    EXPECT_FLOAT_EQ(prototype->baseZ, -34.0f);
    ASSERT_NE(prototype->burst, nullptr);
    EXPECT_EQ(prototype->burst->name, "particlesystem");
    EXPECT_EQ(prototype->burst->emitterMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 1.0f, -34.0f)));
    EXPECT_FALSE(prototype->burst->active);
}

TEST_F(TileWorldTest, ClonesShareTheMeshAndOnlyThePrototypeReleasesIt) {
    object::Hex* clone = CloneHex(prototype, glm::vec3(6.928f, 1.0f, -18.0f), "1cloned03", physics, cooking);
    world->addActor(*clone->staticActor);
    EXPECT_EQ(clone->mesh.vao, prototype->mesh.vao);
    EXPECT_EQ(clone->triangleMesh, prototype->triangleMesh);
    EXPECT_NE(clone->staticActor, prototype->staticActor);
    EXPECT_NE(clone->material, prototype->material);
    EXPECT_NE(clone->burst, prototype->burst);
    EXPECT_EQ(clone->boundsMax, glm::vec3(1.0f));  // bounds are not copied
    EXPECT_STREQ(clone->staticActor->getName(), "1cloned03");
    const GLuint vao = prototype->mesh.vao;
    const GLuint cloneBurstVao = clone->burst->vao;

    delete clone;
    EXPECT_EQ(world->getNbActors(), 1u);
    EXPECT_TRUE(glIsVertexArray(vao));        // still the prototype's
    EXPECT_FALSE(glIsVertexArray(cloneBurstVao));  // the clone's burst went with it
    prototype->update(16.0f);                 // the shared triangle mesh is still in use
    EXPECT_EQ(prototype->getPosition(), glm::vec3(0.0f, 1.0f, -34.0f));

    delete prototype;
    prototype = nullptr;
    EXPECT_FALSE(glIsVertexArray(vao));
    EXPECT_EQ(world->getNbActors(), 0u);
}

}  // namespace
