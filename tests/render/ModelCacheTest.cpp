// The model cache: one load per file for any number of objects, the same result as a load
// of its own, objects that only let go of a cached model, and a release of everything
// exactly once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "objects/GameObject.h"
#include "render/DecodedImage.h"
#include "render/Model.h"
#include "render/ModelCache.h"

namespace fs = std::filesystem;

namespace {

using rendertest::DataDir;

// Counts releases, so that a cooked mesh released twice or never shows.
class CountedTriangleMesh : public rendertest::RecordedTriangleMesh {
public:
    explicit CountedTriangleMesh(int& releases) : releases(releases) {}
    void release() override {
        ++releases;
        delete this;
    }

private:
    int& releases;
};

class CountingCooking : public rendertest::RecordingCooking {
public:
    int releases = 0;
    phys::TriangleMesh* createTriangleMesh(const phys::TriangleMeshDesc& desc) override {
        rendertest::RecordingCooking::createTriangleMesh(desc)->release();
        return new CountedTriangleMesh(releases);
    }
};

bool Live(const Mesh& mesh) {
    bool live = glIsVertexArray(mesh.vao) && glIsBuffer(mesh.vbo) && glIsBuffer(mesh.ebo);
    for (const MeshTexture& texture : mesh.textures) live = live && glIsTexture(texture.id);
    return live;
}

std::vector<unsigned char> TexturePixels(GLuint id) {
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    rgb.push_back(static_cast<unsigned char>(width));
    rgb.push_back(static_cast<unsigned char>(height));
    return rgb;
}

bool AnyLive(const Mesh& mesh) {
    bool live = glIsVertexArray(mesh.vao) || glIsBuffer(mesh.vbo) || glIsBuffer(mesh.ebo);
    for (const MeshTexture& texture : mesh.textures) live = live || glIsTexture(texture.id);
    return live;
}

class ModelCacheTest : public testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        ModelCache::releaseAll();
    }
    void TearDown() override { ModelCache::releaseAll(); }
};

}  // namespace

TEST_F(ModelCacheTest, OneLoadPerFileGivesEveryObjectWhatModelLoadGives) {
    const std::string path = DataDir() + "/layered.obj";
    CountingCooking cooking;
    LoadedModel own = Model(path).load(&cooking, nullptr);
    Mesh& ownMesh = own.mesh;
    const int ownCalls = cooking.calls;

    const LoadedModel first = ModelCache::load(path, &cooking, nullptr);
    const LoadedModel second = ModelCache::load(path, &cooking, nullptr);
    const Mesh& a = first.mesh;
    const Mesh& b = second.mesh;
    EXPECT_EQ(cooking.calls, ownCalls + 1) << "the file is read and cooked once";
    EXPECT_EQ(ModelCache::size(), 1u);

    EXPECT_EQ(a.vao, b.vao);
    EXPECT_EQ(a.vbo, b.vbo);
    ASSERT_EQ(a.textures.size(), b.textures.size());
    for (size_t i = 0; i < a.textures.size(); ++i) EXPECT_EQ(a.textures[i].id, b.textures[i].id);
    EXPECT_NE(first.triangleMesh, nullptr);
    EXPECT_EQ(first.triangleMesh, second.triangleMesh);

    // The same geometry, bounds and material as a load of its own.
    EXPECT_EQ(a.indices, ownMesh.indices);
    ASSERT_EQ(a.vertices.size(), ownMesh.vertices.size());
    for (size_t i = 0; i < a.vertices.size(); ++i) EXPECT_EQ(a.vertices[i].position, ownMesh.vertices[i].position);
    ASSERT_EQ(a.textures.size(), ownMesh.textures.size());
    for (size_t i = 0; i < a.textures.size(); ++i) {
        EXPECT_EQ(a.textures[i].type, ownMesh.textures[i].type);
        EXPECT_FLOAT_EQ(a.textures[i].shininess, ownMesh.textures[i].shininess);
    }
    EXPECT_EQ(first.boundsMin, own.boundsMin);
    EXPECT_EQ(second.boundsMax, own.boundsMax);

    EXPECT_FALSE(first.owns()) << "the cache frees what it lends";
    EXPECT_FALSE(second.owns());
    EXPECT_TRUE(own.owns());
    own.release();
    ModelCache::releaseAll();  // while the cooking that counts is alive
}

TEST_F(ModelCacheTest, ObjectsLetGoOfACachedModelAndReleaseAllFreesItOnce) {
    const std::string path = DataDir() + "/layered.obj";
    CountingCooking cooking;
    Mesh shared;
    {
        object::GameObject first;
        object::GameObject second;
        first.setModel(ModelCache::load(path, &cooking, nullptr));
        second.setModel(ModelCache::load(path, &cooking, nullptr));
        shared = first.mesh;
    }
    EXPECT_TRUE(Live(shared)) << "the objects are gone, the cache still holds the model";
    EXPECT_EQ(cooking.releases, 0);

    // An object with a model of its own still frees it, and only it, whatever it was lent
    // afterwards in each way a mesh arrives.
    LoadedModel lent = Model(path).load(&cooking, nullptr);
    Mesh owned;
    {
        object::GameObject own;
        own.setModel(Model(path).load(&cooking, nullptr));
        owned = own.mesh;
        own.setModel(lent.lend());
        own.setMesh(lent.mesh);
        own.borrowModel(lent.mesh, lent.triangleMesh);
        own.triangleMesh = lent.triangleMesh;
    }
    EXPECT_FALSE(AnyLive(owned));
    EXPECT_TRUE(Live(lent.mesh));
    EXPECT_EQ(cooking.releases, 1);

    // An object deleted after the cache let go of its model still frees nothing.
    auto late = std::make_unique<object::GameObject>();
    late->setModel(ModelCache::load(path, &cooking, nullptr));
    ModelCache::releaseAll();
    EXPECT_FALSE(AnyLive(shared));
    EXPECT_EQ(cooking.releases, 2);
    EXPECT_EQ(ModelCache::size(), 0u);

    // Freed once: what GL now hands out under those names survives a second release and
    // the late object's end, and the cooked mesh is not released again.
    GLuint buffers[4] = {0, 0, 0, 0};
    glGenBuffers(4, buffers);
    for (GLuint buffer : buffers) glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    ModelCache::releaseAll();
    late.reset();
    for (GLuint buffer : buffers) EXPECT_TRUE(glIsBuffer(buffer));
    glDeleteBuffers(4, buffers);
    EXPECT_EQ(cooking.releases, 2);

    // The next load reads the file again.
    EXPECT_TRUE(Live(ModelCache::load(path, &cooking, nullptr).mesh));
    ModelCache::releaseAll();
    lent.release();
    EXPECT_EQ(cooking.releases, 4);
}

TEST_F(ModelCacheTest, AnotherFolderOrAnotherCookingIsAnotherModel) {
    rendertest::TempDir temp;
    for (const char* name : {"layered.obj", "layered.mtl", "diffuse.png", "shiny.png"}) {
        fs::copy_file(DataDir() + "/" + name, temp.path() + "/" + name);
    }
    fs::copy_file(DataDir() + "/bare.obj", temp.path() + "/other.obj");
    CountingCooking cooking;
    CountingCooking otherCooking;
    Mesh here;
    Mesh there;
    {
        rendertest::ScopedChdir cd(DataDir());
        here = ModelCache::load("./layered.obj", &cooking, nullptr).mesh;
    }
    {
        rendertest::ScopedChdir cd(temp.path());
        there = ModelCache::load("./layered.obj", &cooking, nullptr).mesh;
        EXPECT_NE(ModelCache::load("./other.obj", &cooking, nullptr).mesh.vbo, there.vbo);
    }
    EXPECT_NE(here.vbo, there.vbo);
    EXPECT_NE(ModelCache::load(DataDir() + "/layered.obj", &otherCooking, nullptr).mesh.vbo, here.vbo);
    EXPECT_EQ(otherCooking.calls, 1);
    EXPECT_EQ(ModelCache::size(), 4u);
    ModelCache::releaseAll();
}

TEST_F(ModelCacheTest, FilesReadAheadGiveWhatAPlainLoadGivesAndAreDroppedWhenNotTaken) {
    const std::string layered = DataDir() + "/layered.obj";
    const std::string bare = DataDir() + "/bare.obj";
    CountingCooking cooking;
    LoadedModel own = Model(layered).load(&cooking, nullptr);
    Mesh& ownMesh = own.mesh;
    // The sky's faces stay decoded for the whole process, if a test made a sky before.
    const int heldBefore = DecodedImage::held();

    ModelCache::importAhead({layered, bare});
    const LoadedModel first = ModelCache::load(layered, &cooking, nullptr);
    const Mesh& a = first.mesh;
    const Mesh b = ModelCache::load(bare, &cooking, nullptr).mesh;
    EXPECT_TRUE(Live(a));
    EXPECT_TRUE(Live(b));
    EXPECT_EQ(a.indices, ownMesh.indices);
    ASSERT_EQ(a.vertices.size(), ownMesh.vertices.size());
    for (size_t i = 0; i < a.vertices.size(); ++i) {
        EXPECT_EQ(a.vertices[i].position, ownMesh.vertices[i].position);
        EXPECT_EQ(a.vertices[i].texCoords, ownMesh.vertices[i].texCoords);
    }
    ASSERT_EQ(a.textures.size(), ownMesh.textures.size());
    for (size_t i = 0; i < a.textures.size(); ++i) {
        EXPECT_EQ(a.textures[i].path, ownMesh.textures[i].path);
        // Decoded on the reading thread, the same texture as one decoded here.
        const std::vector<unsigned char> ahead = TexturePixels(a.textures[i].id);
        EXPECT_GT(ahead.size(), 2u);
        EXPECT_EQ(ahead, TexturePixels(ownMesh.textures[i].id));
    }
    // Every image decoded ahead was taken and freed.
    EXPECT_EQ(DecodedImage::held(), heldBefore);
    EXPECT_EQ(first.boundsMin, own.boundsMin);
    EXPECT_EQ(first.boundsMax, own.boundsMax);
    EXPECT_NE(first.triangleMesh, nullptr);
    EXPECT_EQ(b.indices.size(), 6u);
    // Read ahead once, loaded from the cache after that.
    EXPECT_EQ(ModelCache::load(layered, &cooking, nullptr).mesh.vbo, a.vbo);
    EXPECT_EQ(ModelCache::size(), 2u);

    // Files loaded already are not read again; one nobody takes goes with releaseAll, as
    // do a missing file and one the importer cannot read, which a load reports itself.
    rendertest::TempDir temp;
    for (const char* name : {"layered.obj", "layered.mtl", "diffuse.png", "shiny.png"}) {
        fs::copy_file(DataDir() + "/" + name, temp.path() + "/" + name);
    }
    ModelCache::importAhead(
        {layered, bare, temp.path() + "/layered.obj", DataDir() + "/no-such.obj", DataDir() + "/truncated.fbx"});
    EXPECT_EQ(ModelCache::size(), 2u);
    ModelCache::releaseAll();
    EXPECT_EQ(ModelCache::size(), 0u);
    // Images decoded ahead for a file nobody loaded went with it.
    EXPECT_EQ(DecodedImage::held(), heldBefore);
    EXPECT_FALSE(AnyLive(a));
    own.release();
}

// A FIFO that nothing writes to, named as a material: an open of it would wait for good,
// on the reading thread or in the load. Neither opens it; the load ends as for a missing
// model, naming the material file.
TEST_F(ModelCacheTest, AFifoForTheMaterialOfAFileReadAheadEndsTheLoadInsteadOfBlockingIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr unsigned BlockedSeconds = 30;
    rendertest::TempDir temp;
    for (const char* name : {"layered.obj", "diffuse.png", "shiny.png"}) {
        fs::copy_file(DataDir() + "/" + name, temp.path() + "/" + name);
    }
    ASSERT_EQ(mkfifo((temp.path() + "/layered.mtl").c_str(), 0600), 0);
    const std::string path = temp.path() + "/layered.obj";
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();
            alarm(BlockedSeconds);  // a blocked open ends the child by its signal
            CountingCooking cooking;
            ModelCache::importAhead({path});
            ModelCache::load(path, &cooking, nullptr);
        },
        testing::ExitedWithCode(1), "Failed to find Model-File\nFilePath: [^\n]*/layered\\.mtl\n");
}
