// The GPU mesh: vertex layout, what a draw sends, and releasing the GL objects.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <fstream>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "objects/GameObject.h"
#include "render/Model.h"
#include "render/Mesh.h"
#include "render/Shader.h"

namespace {

Mesh TwoTriangles(std::vector<MeshTexture> textures = {}) {
    std::vector<Vertex> vertices = {{{0, 0, 0}, {0, 0, 1}, {0, 0}},
                                    {{1, 0, 0}, {0, 0, 1}, {1, 0}},
                                    {{1, 1, 0}, {0, 0, 1}, {1, 1}},
                                    {{0, 1, 0}, {0, 0, 1}, {0, 1}}};
    return Mesh(vertices, {0, 1, 2, 0, 2, 3}, std::move(textures));
}

GLuint NewTexture() {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);  // a name becomes a texture object once bound
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

// Samplers for two diffuse and one specular map, all of which the colour depends on.
Shader* MaterialProbeShader() {
    static Shader* shader = nullptr;
    if (shader) return shader;
    const std::string base = "/tmp/qv-mesh-probe-" + std::to_string(getpid());
    const std::string vert = base + ".vert";
    const std::string frag = base + ".frag";
    std::ofstream(vert) << "#version 430 core\nlayout(location = 0) in vec3 p;\n"
                           "void main() { gl_Position = vec4(p, 1.0); }\n";
    std::ofstream(frag) << "#version 430 core\nstruct Material { sampler2D texture_diffuse1; sampler2D "
                           "texture_diffuse2; sampler2D texture_specular1; float shininess; };\n"
                           "uniform Material material;\nout vec4 c;\nvoid main() { c = texture(material.texture_diffuse1, "
                           "vec2(0.0)) + texture(material.texture_diffuse2, vec2(0.0)) + "
                           "texture(material.texture_specular1, vec2(0.0)) * material.shininess; }\n";
    testing::internal::CaptureStdout();
    shader = new Shader(vert, frag, "");
    testing::internal::GetCapturedStdout();
    std::remove(vert.c_str());
    std::remove(frag.c_str());
    return shader;
}

GLint UniformInt(GLuint program, const char* name) {
    GLint value = -1;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

}  // namespace

TEST(Vertex, Is32BytesWithAttributesAt0_12_24) {
    EXPECT_EQ(sizeof(Vertex), 32u);
    EXPECT_EQ(offsetof(Vertex, position), 0u);
    EXPECT_EQ(offsetof(Vertex, normal), 12u);
    EXPECT_EQ(offsetof(Vertex, texCoords), 24u);
}

TEST(Mesh, DefaultMeshHasNoNamesAndReleasesWithoutGl) {
    Mesh mesh;
    EXPECT_EQ(mesh.vao, 0u);
    mesh.release();  // no context needed: nothing to delete
    EXPECT_EQ(mesh.vao, 0u);
}

TEST(Mesh, LoadedMeshDrawsEveryIndex) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    Shader* shader = MaterialProbeShader();
    rendertest::RecordingCooking cooking;
    LoadedModel loaded = Model(rendertest::DataDir() + "/bare.obj").load(&cooking, nullptr);
    Mesh& mesh = loaded.mesh;
    ASSERT_EQ(mesh.indices.size(), 6u);
    glUseProgram(shader->program);
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    mesh.draw(shader);
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint primitives = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
    glDeleteQueries(1, &query);
    EXPECT_EQ(primitives, mesh.indices.size() / 3);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    mesh.release();
}

TEST(Mesh, DrawPutsEachTextureOnItsOwnFreeUnitWithNumberedSamplers) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    Shader* shader = MaterialProbeShader();
    std::vector<MeshTexture> textures = {{NewTexture(), "texture_diffuse", "a.png", 24.0f},
                                         {NewTexture(), "texture_specular", "s.png", 24.0f},
                                         {NewTexture(), "texture_diffuse", "b.png", 24.0f}};
    Mesh mesh = TwoTriangles(textures);
    glUseProgram(shader->program);
    mesh.draw(shader);
    mesh.draw(shader);  // numbering restarts on every draw

    // Units 1 and 3 belong to the lit pass's shadow map and sky box.
    const GLuint units[] = {0, 2, 4};
    EXPECT_EQ(UniformInt(shader->program, "material.texture_diffuse1"), 0);
    EXPECT_EQ(UniformInt(shader->program, "material.texture_specular1"), 2);
    EXPECT_EQ(UniformInt(shader->program, "material.texture_diffuse2"), 4);
    GLfloat shininess = 0.0f;
    glGetUniformfv(shader->program, glGetUniformLocation(shader->program, "material.shininess"), &shininess);
    EXPECT_FLOAT_EQ(shininess, 24.0f);

    GLint bound = -1;
    for (size_t i = 1; i < textures.size(); ++i) {
        glActiveTexture(GL_TEXTURE0 + units[i]);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), textures[i].id);
    }
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0) << "unit 0 is cleared after the draw";
    mesh.release();
}

// The lit pass binds the shadow map on unit 1 and the sky box on unit 3 before the objects
// draw; a model with a specular map (or four maps) must leave both where the lit shader
// samples them for every later draw of the frame.
TEST(Mesh, TexturesLeaveTheShadowMapAndSkyBoxWhereTheLitShaderSamplesThem) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    Shader* lit = rendertest::Shaders()->complexShader;
    ASSERT_NE(lit, nullptr);
    const GLuint program = lit->program;
    const GLuint shadowMap = NewTexture();
    GLuint skyBox = 0;
    glGenTextures(1, &skyBox);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, shadowMap);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, skyBox);
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "shadowMap"), 1);
    glUniform1i(glGetUniformLocation(program, "skyBox"), 3);

    Mesh diffuseAndSpecular = TwoTriangles({{NewTexture(), "texture_diffuse", "d.png", 10.0f},
                                            {NewTexture(), "texture_specular", "s.png", 10.0f}});
    Mesh fourMaps = TwoTriangles({{NewTexture(), "texture_diffuse", "d.png", 10.0f},
                                  {NewTexture(), "texture_specular", "s.png", 10.0f},
                                  {NewTexture(), "texture_diffuse", "d2.png", 10.0f},
                                  {NewTexture(), "texture_specular", "s2.png", 10.0f}});
    for (Mesh* mesh : {&diffuseAndSpecular, &fourMaps}) {
        SCOPED_TRACE(mesh->textures.size());
        mesh->draw(lit);

        const GLint shadowUnit = UniformInt(program, "shadowMap");
        EXPECT_EQ(shadowUnit, 1);
        GLint bound = -1;
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(shadowUnit));
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), shadowMap) << "the shadow map was displaced";

        const GLint skyUnit = UniformInt(program, "skyBox");
        EXPECT_EQ(skyUnit, 3);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(skyUnit));
        glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), skyBox);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << "a map on the sky box's unit";
        glActiveTexture(GL_TEXTURE0);

        const GLint diffuseUnit = UniformInt(program, "material.texture_diffuse1");
        EXPECT_NE(diffuseUnit, shadowUnit);
        EXPECT_NE(diffuseUnit, skyUnit);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    diffuseAndSpecular.release();
    fourMaps.release();
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glActiveTexture(GL_TEXTURE0);
    glDeleteTextures(1, &shadowMap);
    glDeleteTextures(1, &skyBox);
}

TEST(Mesh, ReleaseDeletesBuffersAndTexturesOnceWhileCopiesKeepTheirNames) {
    if (!EnsureGlContext()) GTEST_SKIP() << "no display";
    Mesh owner = TwoTriangles({{NewTexture(), "texture_diffuse", "a.png", 10.0f}});
    const Mesh copy = owner;
    EXPECT_EQ(copy.vao, owner.vao);
    EXPECT_EQ(copy.textures[0].id, owner.textures[0].id);

    owner.release();
    EXPECT_FALSE(glIsVertexArray(copy.vao));
    EXPECT_FALSE(glIsBuffer(copy.vbo));
    EXPECT_FALSE(glIsBuffer(copy.ebo));
    EXPECT_FALSE(glIsTexture(copy.textures[0].id));
    EXPECT_EQ(owner.vao, 0u);
    EXPECT_EQ(owner.textures[0].id, 0u);
    EXPECT_EQ(owner.indices.size(), 6u) << "the lists stay";
    owner.release();  // a second release deletes nothing further
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
