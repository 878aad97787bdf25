#include "render/Mesh.h"

#include <cstddef>
#include <string>
#include <utility>

#include "render/Shader.h"

namespace {

// The unit of a mesh's index-th texture: the index-th unit the lit pass leaves free,
// whatever textures a model names.
GLuint MaterialUnit(size_t index) {
    GLuint unit = static_cast<GLuint>(index);
    if (unit >= Mesh::ShadowMapUnit) ++unit;
    if (unit >= Mesh::SkyBoxUnit) ++unit;
    return unit;
}

// The layout of Vertex at locations 0 to 2, on the bound vertex array and array buffer.
void EnableVertexAttributes() {
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(offsetof(Vertex, texCoords)));
}

}  // namespace

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<unsigned> indices, std::vector<MeshTexture> textures)
    : indices(std::move(indices)), vertices(std::move(vertices)), textures(std::move(textures)) {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ebo);
    glBindVertexArray(vao);

    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(this->vertices.size() * sizeof(Vertex)),
                 this->vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(this->indices.size() * sizeof(unsigned)),
                 this->indices.data(), GL_STATIC_DRAW);

    EnableVertexAttributes();
}

void Mesh::draw(Shader* shader) {
    unsigned diffuseNr = 1;
    unsigned specularNr = 1;
    for (size_t i = 0; i < textures.size(); ++i) {
        const MeshTexture& texture = textures[i];
        const GLuint unit = MaterialUnit(i);
        glActiveTexture(GL_TEXTURE0 + unit);
        std::string number;
        if (texture.type == "texture_diffuse") {
            number = std::to_string(diffuseNr++);
        } else if (texture.type == "texture_specular") {
            number = std::to_string(specularNr++);
        }
        const std::string name = "material." + texture.type + number;
        glUniform1i(glGetUniformLocation(shader->program, name.c_str()), static_cast<GLint>(unit));
        glUniform1f(glGetUniformLocation(shader->program, "material.shininess"), texture.shininess);
        glBindTexture(GL_TEXTURE_2D, texture.id);
    }
    glActiveTexture(GL_TEXTURE0);

    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

GLuint Mesh::createVertexArray() const {
    GLuint array = 0;
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    EnableVertexAttributes();
    glBindVertexArray(0);
    return array;
}

void Mesh::release() {
    // Only non-zero names reach GL, so a default mesh can be released without a context.
    if (vao != 0) glDeleteVertexArrays(1, &vao);
    if (vbo != 0) glDeleteBuffers(1, &vbo);
    if (ebo != 0) glDeleteBuffers(1, &ebo);
    vao = vbo = ebo = 0;
    for (MeshTexture& texture : textures) {
        if (texture.id != 0) glDeleteTextures(1, &texture.id);
        texture.id = 0;
    }
}
