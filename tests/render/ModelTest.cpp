// Model loading: what reaches the mesh, the bounds, the material textures and the
// cooked collision mesh, and the fatal ends of missing or unusable files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>

#include <assimp/Importer.hpp>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "render/Model.h"

namespace {

using rendertest::DataDir;

glm::ivec2 TextureSize(GLuint id) {
    GLint width = -1, height = -1;
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, 0);
    return {width, height};
}

glm::ivec3 FirstTexel(GLuint id, glm::ivec2 size) {
    std::vector<unsigned char> rgb(static_cast<size_t>(size.x) * size.y * 3);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return {rgb[0], rgb[1], rgb[2]};
}

void ExpectVec3(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_FLOAT_EQ(actual.x, expected.x);
    EXPECT_FLOAT_EQ(actual.y, expected.y);
    EXPECT_FLOAT_EQ(actual.z, expected.z);
}

// Runs in a death-test child; no terminal on stdin so nothing waits.
void LoadAndDie(const std::string& path) {
    if (!std::freopen("/dev/null", "r", stdin)) std::abort();
    rendertest::RecordingCooking cooking;
    Model(path).load(&cooking, nullptr);
}

class ModelLoad : public testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    }
    void TearDown() override {
        loaded.release();
    }
    rendertest::RecordingCooking cooking;
    LoadedModel loaded;
    Mesh& mesh = loaded.mesh;
};

}  // namespace

// What a load gives has one owner: it moves, and a copy would free the same objects again.
using LoadResult = decltype(std::declval<Model&>().load(nullptr, nullptr));
static_assert(!std::is_copy_constructible_v<LoadResult> && !std::is_copy_assignable_v<LoadResult> &&
              std::is_nothrow_move_constructible_v<LoadResult>);

TEST_F(ModelLoad, FirstMeshOnlyWithNegativeBoundsFlippedUvsAndOrderedTextures) {
    Model model(DataDir() + "/layered.obj");
    loaded = model.load(&cooking, nullptr);

    EXPECT_EQ(model.directory, DataDir());
    EXPECT_TRUE(loaded.owns()) << "the caller frees what it loads";
    // The second object at (5..6, 5..6, 5) stays out of the bounds.
    ExpectVec3(loaded.boundsMin, {-3.0f, -6.0f, -7.0f});
    ExpectVec3(loaded.boundsMax, {-1.0f, -4.0f, -1.0f});
    ExpectVec3(model.boundsMin, loaded.boundsMin);
    ExpectVec3(model.boundsMax, loaded.boundsMax);

    // The stray line element is neither drawn nor cooked.
    EXPECT_EQ(mesh.indices, (std::vector<unsigned>{0, 1, 2}));
    ASSERT_GE(mesh.vertices.size(), 3u);
    EXPECT_FLOAT_EQ(mesh.vertices[0].texCoords.x, 0.25f);
    EXPECT_FLOAT_EQ(mesh.vertices[0].texCoords.y, 0.25f);
    EXPECT_FLOAT_EQ(mesh.vertices[1].texCoords.y, 0.875f);
    ExpectVec3(mesh.vertices[1].position, {-1.0f, -4.0f, -7.0f});
    ExpectVec3(mesh.vertices[2].normal, {0.0f, 1.0f, 0.0f});

    ASSERT_EQ(mesh.textures.size(), 2u);
    EXPECT_EQ(mesh.textures[0].type, "texture_diffuse");
    EXPECT_EQ(mesh.textures[0].path, "diffuse.png");
    EXPECT_EQ(mesh.textures[1].type, "texture_specular");
    EXPECT_EQ(mesh.textures[1].path, "shiny.png");
    EXPECT_FLOAT_EQ(mesh.textures[0].shininess, 32.0f);
    EXPECT_FLOAT_EQ(mesh.textures[1].shininess, 32.0f);
    const glm::ivec2 size = TextureSize(mesh.textures[0].id);
    EXPECT_EQ(size, glm::ivec2(4, 2));
    EXPECT_EQ(FirstTexel(mesh.textures[0].id, size), glm::ivec3(200, 40, 30)) << "channels kept in order";
    EXPECT_EQ(TextureSize(mesh.textures[1].id), glm::ivec2(2, 2));

    EXPECT_EQ(cooking.calls, 1);
    EXPECT_EQ(cooking.pointStride, 12u);
    EXPECT_EQ(cooking.triangleStride, 12u);
    EXPECT_EQ(cooking.indices, (std::vector<uint32_t>{0, 1, 2}));
    ASSERT_EQ(cooking.points.size(), mesh.vertices.size());
    ExpectVec3(cooking.points[1], mesh.vertices[1].position);
    ASSERT_NE(loaded.triangleMesh, nullptr);
    EXPECT_EQ(loaded.triangleMesh->getNbTriangles(), 1u);
}

TEST_F(ModelLoad, SecondLoadKeepsBoundsAndMakesNewGlObjects) {
    Model model(DataDir() + "/layered.obj");
    loaded = model.load(&cooking, nullptr);
    LoadedModel second = model.load(&cooking, nullptr);

    ExpectVec3(second.boundsMin, loaded.boundsMin);
    ExpectVec3(second.boundsMax, loaded.boundsMax);
    EXPECT_NE(second.mesh.vao, mesh.vao);
    EXPECT_NE(second.mesh.textures[0].id, mesh.textures[0].id);
    EXPECT_EQ(cooking.calls, 2);
    second.release();
}

TEST_F(ModelLoad, MissingUvsAndNormalsGetDefaults) {
    Model model(DataDir() + "/bare.obj");
    loaded = model.load(&cooking, nullptr);
    ASSERT_EQ(mesh.indices.size(), 6u);
    for (const Vertex& vertex : mesh.vertices) {
        EXPECT_EQ(vertex.texCoords, glm::vec2(0.0f));
        EXPECT_EQ(vertex.normal, glm::vec3(0.0f, 1.0f, 0.0f));
    }
    EXPECT_TRUE(mesh.textures.empty());
    ExpectVec3(loaded.boundsMax, {2.0f, 3.0f, 1.0f});
}

TEST_F(ModelLoad, MaterialWithoutShininessGivesTen) {
    Model model(DataDir() + "/textured.ply");
    loaded = model.load(&cooking, nullptr);
    ASSERT_EQ(mesh.textures.size(), 1u);
    EXPECT_EQ(mesh.textures[0].type, "texture_diffuse");
    EXPECT_FLOAT_EQ(mesh.textures[0].shininess, 10.0f);
    EXPECT_EQ(TextureSize(mesh.textures[0].id), glm::ivec2(4, 2));
}

TEST_F(ModelLoad, PathWithoutSlashLooksForTexturesUnderThePathItself) {
    rendertest::ScopedChdir cd(DataDir());
    ASSERT_TRUE(cd.ok());
    Model model("layered.obj");
    loaded = model.load(&cooking, nullptr);
    EXPECT_EQ(model.directory, "layered.obj");
    ASSERT_EQ(mesh.textures.size(), 2u);
    EXPECT_TRUE(glIsTexture(mesh.textures[0].id));
    EXPECT_EQ(TextureSize(mesh.textures[0].id), glm::ivec2(0, 0)) << "not found: an empty texture";
}

TEST_F(ModelLoad, WithoutCookingThereIsNoCollisionMeshAndOneLine) {
    Model model(DataDir() + "/bare.obj");
    testing::internal::CaptureStderr();
    loaded = model.load(nullptr, nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(loaded.triangleMesh, nullptr);
    EXPECT_EQ(err, "Model: no cooking object, no collision mesh for " + DataDir() + "/bare.obj\n");
    EXPECT_EQ(mesh.indices.size(), 6u);
    ExpectVec3(loaded.boundsMin, {0.0f, 0.0f, 0.0f});
}

TEST_F(ModelLoad, AnImportMadeAheadLoadsLikeTheFileItself) {
    const std::string path = DataDir() + "/layered.obj";
    LoadedModel plainModel = Model(path).load(&cooking, nullptr);
    const Mesh& plain = plainModel.mesh;

    std::unique_ptr<Assimp::Importer> importer;
    std::thread([&] { importer = Model::import(path); }).join();
    ASSERT_NE(importer, nullptr);
    Model model(path);
    model.useImport(std::move(importer));
    loaded = model.load(&cooking, nullptr);
    EXPECT_EQ(mesh.indices, plain.indices);
    ASSERT_EQ(mesh.vertices.size(), plain.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        EXPECT_EQ(mesh.vertices[i].position, plain.vertices[i].position);
        EXPECT_EQ(mesh.vertices[i].normal, plain.vertices[i].normal);
        EXPECT_EQ(mesh.vertices[i].texCoords, plain.vertices[i].texCoords);
    }
    ASSERT_EQ(mesh.textures.size(), plain.textures.size());
    for (size_t i = 0; i < mesh.textures.size(); ++i) {
        EXPECT_EQ(mesh.textures[i].type, plain.textures[i].type);
        EXPECT_EQ(mesh.textures[i].path, plain.textures[i].path);
        // Texture files are found next to the model, as without the import.
        EXPECT_EQ(TextureSize(mesh.textures[i].id), TextureSize(plain.textures[i].id));
    }
    ExpectVec3(loaded.boundsMin, plainModel.boundsMin);
    ExpectVec3(loaded.boundsMax, plainModel.boundsMax);
    EXPECT_NE(loaded.triangleMesh, nullptr);

    // The import is used once: a second load reads the file again.
    LoadedModel again = model.load(&cooking, nullptr);
    EXPECT_EQ(again.mesh.indices, plain.indices);
    EXPECT_EQ(Model::import(DataDir() + "/no-such.obj"), nullptr);
    again.release();
    plainModel.release();
}

TEST(ModelDeath, MissingFileEndsWithItsPath) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LoadAndDie("./res/Models/NoSuchModel.obj"), testing::ExitedWithCode(1),
                "Failed to find Model-File\nFilePath: \\./res/Models/NoSuchModel\\.obj\n");
}

TEST(ModelDeath, UnreadableFileEndsWithTheImporterError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LoadAndDie(DataDir() + "/truncated.fbx"), testing::ExitedWithCode(1),
                "Could not load meshObject\nFBX-Tokenize[^\n]+\n");
}

TEST(ModelDeath, FileWithoutAnyMeshEndsInsteadOfUsingNone) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(LoadAndDie(DataDir() + "/nomesh.obj"), testing::ExitedWithCode(1),
                "Could not load meshObject\nno mesh in [^\n]*nomesh\\.obj\n");
}
