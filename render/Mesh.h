// Drawable geometry: vertex and index lists with their GL vertex array and buffers,
// and the material textures.
// NOTE: a Mesh is a value; copies share the same GL names. The destructor frees only
// the lists. GL objects are deleted explicitly with release() by whoever owns them.
#pragma once

#include <GL/glew.h>
#include <vector>

#include "render/MeshTexture.h"
#include "render/Vertex.h"

class Shader;

class Mesh {
public:
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;
    std::vector<unsigned> indices;
    std::vector<Vertex> vertices;
    std::vector<MeshTexture> textures;

    Mesh() = default;
    Mesh(std::vector<Vertex> vertices, std::vector<unsigned> indices, std::vector<MeshTexture> textures);
    void draw(Shader* shader);
    // Deletes the vertex array, both buffers and the textures, and zeroes the names.
    // NOTE: every copy of this mesh is left with dangling names; call it on the owner only.
    void release();
};
