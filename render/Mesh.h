// Drawable geometry: vertex and index lists with their GL vertex array and buffers,
// and the material textures.
// NOTE: a Mesh is a value; copies share the same GL names. The destructor frees only
// the lists. GL objects are deleted explicitly with release() by their one owner: whoever
// loaded them (see LoadedModel).
#pragma once

#include <GL/glew.h>
#include <vector>

#include "render/MeshTexture.h"
#include "render/Vertex.h"

class Shader;

class Mesh {
public:
    // The lit pass binds the shadow map and the sky box on these units once, before any
    // object draws; a mesh's own textures take the units around them.
    static constexpr GLuint ShadowMapUnit = 1;
    static constexpr GLuint SkyBoxUnit = 3;

    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;
    std::vector<unsigned> indices;
    std::vector<Vertex> vertices;
    std::vector<MeshTexture> textures;

    Mesh() = default;
    Mesh(std::vector<Vertex> vertices, std::vector<unsigned> indices, std::vector<MeshTexture> textures);
    void draw(Shader* shader);
    // A further vertex array over this mesh's buffers with the same attributes, for a user
    // that adds attributes of its own (instancing) to a shared mesh. Owned by the caller.
    GLuint createVertexArray() const;
    // Deletes the vertex array, both buffers and the textures, and zeroes the names.
    // NOTE: every copy of this mesh is left with dangling names; call it on the owner only.
    void release();
};
