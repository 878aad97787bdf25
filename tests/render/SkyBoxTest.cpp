// The sky box: its console lines, a missing face, face order seen through the sky-box
// program, and the GL objects going away with the object.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <chrono>
#include <filesystem>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/SkyBox.h"

namespace {

const char* const FaceFiles[6] = {"left.png", "right.png", "top.png", "bot.png", "back.png", "front.png"};
// One plain colour per face, so a sample tells which face it came from.
const glm::ivec3 FaceColours[6] = {{230, 20, 20}, {20, 230, 20}, {20, 20, 230},
                                   {230, 230, 20}, {230, 20, 230}, {20, 230, 230}};
const glm::ivec3 TopRowColour(255, 255, 255);
constexpr int FaceSize = 16;

// Writes the six faces under dir/res/skybox/ltblue; each has a white top row.
void WriteFaces(const std::string& dir) {
    const std::string folder = dir + "/res/skybox/ltblue/";
    std::filesystem::create_directories(folder);
    for (int face = 0; face < 6; ++face) {
        FIBITMAP* image = FreeImage_Allocate(FaceSize, FaceSize, 24);
        for (unsigned y = 0; y < FaceSize; ++y) {
            const glm::ivec3 c = y == FaceSize - 1 ? TopRowColour : FaceColours[face];  // FreeImage rows go up
            for (unsigned x = 0; x < FaceSize; ++x) {
                RGBQUAD colour = {static_cast<BYTE>(c.b), static_cast<BYTE>(c.g), static_cast<BYTE>(c.r), 0};
                FreeImage_SetPixelColor(image, x, y, &colour);
            }
        }
        FreeImage_Save(FIF_PNG, image, (folder + FaceFiles[face]).c_str(), 0);
        FreeImage_Unload(image);
    }
}

bool Near(const glm::ivec3& a, const glm::ivec3& b) {
    const glm::ivec3 d = glm::abs(a - b);
    return d.x <= 3 && d.y <= 3 && d.z <= 3;
}

class SkyBoxTest : public testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        rendertest::Shaders();
        WriteFaces(temp.path());
    }
    // Builds a sky box in the temp folder, returning what it printed.
    std::string build(SkyBox*& sky) {
        rendertest::ScopedChdir cd(temp.path());
        testing::internal::CaptureStdout();
        sky = new SkyBox("skybox", rendertest::Shaders()->skyboxShader);
        sky->setup();
        return testing::internal::GetCapturedStdout();
    }
    rendertest::TempDir temp;
};

}  // namespace

TEST_F(SkyBoxTest, FacesLandInCubeMapOrderSeenThroughTheSkyProgram) {
    SkyBox* sky = nullptr;
    EXPECT_EQ(build(sky), "Loaded SkyBox\n\n");

    rendertest::OffscreenTarget target(64, 64);
    const glm::vec3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), 1.0f, 0.01f, 1000.0f);
    glUseProgram(sky->shader->program);
    glUniform1f(glGetUniformLocation(sky->shader->program, "gamma"), 1.0f);
    glDepthFunc(GL_LEQUAL);
    for (int face = 0; face < 6; ++face) {
        const glm::vec3 up = face == 2 || face == 3 ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
        const glm::mat4 view = glm::mat4(glm::mat3(glm::lookAt(glm::vec3(0.0f), directions[face], up)));
        const glm::mat4 projectionView = projection * view;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUniformMatrix4fv(glGetUniformLocation(sky->shader->program, "projectionMatrix"), 1, GL_FALSE,
                           glm::value_ptr(projectionView));
        glBindVertexArray(sky->vao);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, sky->cubemapTexture);
        glDrawArrays(GL_TRIANGLES, 0, 36);
        glBindVertexArray(0);
        EXPECT_TRUE(Near(target.pixel(32, 32), FaceColours[face])) << "face " << face << " (" << FaceFiles[face] << ")";
    }
    glDepthFunc(GL_LESS);

    // The file's top row is row 0 of the face: every image is flipped before upload.
    std::vector<unsigned char> rgb(FaceSize * FaceSize * 3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky->cubemapTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    EXPECT_EQ(glm::ivec3(rgb[0], rgb[1], rgb[2]), TopRowColour);
    delete sky;
}

TEST_F(SkyBoxTest, MissingFaceIsReportedAndTheOthersStillLoad) {
    std::filesystem::remove(temp.path() + "/res/skybox/ltblue/top.png");
    SkyBox* sky = nullptr;
    EXPECT_EQ(build(sky),
              "Skybox texture failed to load at path: ./res/skybox/ltblue/top.png\nLoaded SkyBox\n\n");
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky->cubemapTexture);
    for (int face = 0; face < 6; ++face) {
        GLint width = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, face == 2 ? 0 : FaceSize) << FaceFiles[face];
    }
    delete sky;
}

TEST_F(SkyBoxTest, DeletingTheSkyBoxFreesItsGlObjects) {
    SkyBox* sky = nullptr;
    build(sky);
    const GLuint vao = sky->vao, vbo = sky->vbo, cube = sky->cubemapTexture;
    ASSERT_TRUE(glIsVertexArray(vao) && glIsBuffer(vbo) && glIsTexture(cube));
    GLint sampler = -1;
    glGetUniformiv(sky->shader->program, glGetUniformLocation(sky->shader->program, "skybox"), &sampler);
    EXPECT_EQ(sampler, 0);
    delete sky;
    EXPECT_FALSE(glIsVertexArray(vao));
    EXPECT_FALSE(glIsBuffer(vbo));
    EXPECT_FALSE(glIsTexture(cube));
}

namespace {

glm::ivec3 FaceCentre(GLuint cube, int face) {
    std::vector<unsigned char> rgb(FaceSize * FaceSize * 3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    const size_t centre = (FaceSize / 2 * FaceSize + FaceSize / 2) * 3;
    return {rgb[centre], rgb[centre + 1], rgb[centre + 2]};
}

}  // namespace

// Faces are decoded once and kept, but what is kept is the file as it is now: a face
// removed since is reported again, and a face rewritten since is read again.
TEST_F(SkyBoxTest, EverySkyBoxShowsTheFacesAsTheFilesAreNow) {
    SkyBox* first = nullptr;
    build(first);
    SkyBox* second = nullptr;
    EXPECT_EQ(build(second), "Loaded SkyBox\n\n");
    EXPECT_NE(second->cubemapTexture, first->cubemapTexture);
    for (int face = 0; face < 6; ++face) {
        EXPECT_TRUE(Near(FaceCentre(second->cubemapTexture, face), FaceColours[face])) << FaceFiles[face];
    }
    delete first;
    delete second;

    const std::string folder = temp.path() + "/res/skybox/ltblue/";
    std::filesystem::remove(folder + "top.png");
    FIBITMAP* image = FreeImage_Allocate(FaceSize, FaceSize, 24);
    RGBQUAD grey = {100, 100, 100, 0};
    FreeImage_FillBackground(image, &grey);
    FreeImage_Save(FIF_PNG, image, (folder + "left.png").c_str(), 0);
    FreeImage_Unload(image);
    // A later write time, even on a file system with coarse times.
    std::filesystem::last_write_time(folder + "left.png",
                                     std::filesystem::last_write_time(folder + "left.png") + std::chrono::seconds(5));

    SkyBox* third = nullptr;
    EXPECT_EQ(build(third), "Skybox texture failed to load at path: ./res/skybox/ltblue/top.png\nLoaded SkyBox\n\n");
    EXPECT_TRUE(Near(FaceCentre(third->cubemapTexture, 0), glm::ivec3(100, 100, 100)));
    EXPECT_TRUE(Near(FaceCentre(third->cubemapTexture, 1), FaceColours[1]));
    delete third;
}
