// Building the six programs: console lines, slot order, and the fatal paths of a
// missing, non-compiling or non-linking shader.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <sys/stat.h>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// A copy of the staged shader folder under dir/res/Shader.
void CopyShaders(const std::string& dir) {
    fs::create_directories(dir + "/res/Shader");
    for (const auto& entry : fs::directory_iterator("./res/Shader")) {
        fs::copy_file(entry.path(), dir + "/res/Shader/" + entry.path().filename().string());
    }
}

// The child of a death test ends in exit(): its temp folder goes with an exit handler.
void RemoveAtExit(const std::string& dir) {
    static std::string doomed;
    doomed = dir;
    std::atexit([] { fs::remove_all(doomed); });
}

// Runs in the death-test child: no terminal on stdin, so the pause must not wait.
void BuildManagerIn(const std::string& dir) {
    if (!std::freopen("/dev/null", "r", stdin)) std::abort();
    if (!EnsureGlContext()) std::abort();
    RemoveAtExit(dir);
    rendertest::ScopedChdir cd(dir);
    new ShaderManager();
}

class ShaderFailure : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        CopyShaders(temp.path());
    }
    std::string shaderPath(const std::string& file) const { return temp.path() + "/res/Shader/" + file; }
    rendertest::TempDir temp;
};

}  // namespace

TEST(ShaderManager, BuildsSixLinkedProgramsInSlotOrder) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    testing::internal::CaptureStdout();
    ShaderManager manager;
    const std::string out = testing::internal::GetCapturedStdout();

    std::string expected;
    for (const char* name : {"complex", "text", "shadowMapsQuad", "shadowMapShader", "skybox", "particle"}) {
        expected += std::string("Loaded Shader from file: ./res/Shader/") + name + ".vert\n";
        expected += std::string("Loaded Shader from file: ./res/Shader/") + name + ".frag\n";
    }
    expected += "All shaders in ShaderManager loaded!!!\n\n";
    EXPECT_EQ(out, expected);

    const Shader* slots[] = {manager.complexShader,   manager.textShader,   manager.shadowMapsQuadShader,
                             manager.shadowMapShader, manager.skyboxShader, manager.particleShader};
    std::set<GLuint> programs;
    for (const Shader* shader : slots) {
        ASSERT_NE(shader, nullptr);
        GLint linked = 0;
        glGetProgramiv(shader->program, GL_LINK_STATUS, &linked);
        EXPECT_TRUE(linked);
        EXPECT_NE(shader->vertexShader, 0u);
        EXPECT_NE(shader->fragmentShader, 0u);
        EXPECT_EQ(shader->geometryShader, 0u);
        programs.insert(shader->program);
    }
    EXPECT_EQ(programs.size(), 6u);
}

TEST(ShaderManager, LitProgramHasTheUniformsTheDrawCodeSets) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    testing::internal::CaptureStdout();
    ShaderManager manager;
    testing::internal::GetCapturedStdout();
    const GLuint lit = manager.complexShader->program;
    for (const char* name : {"modelMatrix", "projectionMatrix", "lightSpaceMatrix", "gamma", "particle", "hexColor",
                             "shadowMap", "skyBox", "sun.direction", "sun.ambient", "sun.diffuse", "sun.specular",
                             "viewPosition", "material.texture_diffuse1", "material.shininess", "projectionView",
                             "movingMatrix", "texture_diffuse1"}) {
        EXPECT_NE(glGetUniformLocation(lit, name), -1) << name;
    }
    EXPECT_NE(glGetUniformLocation(manager.textShader->program, "textColor"), -1);
    EXPECT_NE(glGetUniformLocation(manager.shadowMapShader->program, "depthMVP"), -1);
    EXPECT_NE(glGetUniformLocation(manager.skyboxShader->program, "projectionMatrix"), -1);
    EXPECT_NE(glGetUniformLocation(manager.skyboxShader->program, "skybox"), -1);
}

TEST_F(ShaderFailure, MissingFragmentFileEndsWithItsPath) {
    fs::remove(shaderPath("text.frag"));
    EXPECT_EXIT(BuildManagerIn(temp.path()), testing::ExitedWithCode(1),
                "Failed to open shader file:  \\./res/Shader/text\\.frag\n");
}

// Whatever stands in a shader file's place and cannot be read takes the exit of a missing
// file, never an uncaught stream exception (exit 134).
TEST_F(ShaderFailure, UnreadableFilesEndLikeAMissingOne) {
    const struct {
        const char* file;
        std::function<void(const std::string&)> spoil;
    } cases[] = {
        {"complex.vert", [](const std::string& p) { fs::remove(p); fs::create_directory(p); }},
        {"skybox.frag", [](const std::string& p) { fs::remove(p); ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
        // a read error: /proc/self/mem opens but fails its first read
        {"particle.frag", [](const std::string& p) { fs::remove(p); fs::create_symlink("/proc/self/mem", p); }},
    };
    for (const auto& c : cases) {
        rendertest::TempDir dir;
        CopyShaders(dir.path());
        const std::string path = dir.path() + "/res/Shader/" + c.file;
        c.spoil(path);
        const std::string dirPath = dir.path();
        EXPECT_EXIT(BuildManagerIn(dirPath), testing::ExitedWithCode(1),
                    "Failed to open shader file:  \\./res/Shader/" + std::string(c.file) + "\n")
            << c.file;
    }
}

TEST_F(ShaderFailure, VertexStageThatDoesNotCompilePrintsTheLog) {
    WriteFile(shaderPath("skybox.vert"), "#version 430 core\nvoid main() { gl_Position = undefinedThing; }\n");
    EXPECT_EXIT(BuildManagerIn(temp.path()), testing::ExitedWithCode(1),
                "FAILED TO COMPILE SHADER\n.*undefinedThing.*\n");
}

TEST_F(ShaderFailure, MismatchedStagesFailToLink) {
    WriteFile(shaderPath("a.vert"), "#version 430 core\nvoid main() { gl_Position = vec4(0.0); }\n");
    WriteFile(shaderPath("a.frag"),
              "#version 430 core\nin vec3 neverWritten;\nout vec4 c;\nvoid main() { c = vec4(neverWritten, 1.0); }\n");
    const std::string vert = shaderPath("a.vert");
    const std::string frag = shaderPath("a.frag");
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();
            if (!EnsureGlContext()) std::abort();
            RemoveAtExit(temp.path());
            Shader shader(vert, frag, "");
        },
        testing::ExitedWithCode(1), "FAILED TO LINK PROGRAM\n.+\n");
}

TEST_F(ShaderFailure, GeometryStageIsCompiledAndAttachedThird) {
    WriteFile(shaderPath("g.vert"), "#version 430 core\nvoid main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0); }\n");
    WriteFile(shaderPath("g.geom"),
              "#version 430 core\nlayout(points) in;\nlayout(points, max_vertices = 1) out;\n"
              "void main() { gl_Position = gl_in[0].gl_Position; EmitVertex(); }\n");
    WriteFile(shaderPath("g.frag"), "#version 430 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    testing::internal::CaptureStdout();
    Shader shader(shaderPath("g.vert"), shaderPath("g.frag"), shaderPath("g.geom"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(shader.geometryShader, 0u);
    GLint attached = 0;
    glGetProgramiv(shader.program, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 3);
    EXPECT_NE(out.find("Loaded Shader from file: " + shaderPath("g.geom")), std::string::npos);
}
