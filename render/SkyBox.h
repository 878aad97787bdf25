// The cube of sky around the camera: six face images in one cube map, the cube's
// vertex array and buffer. Owns those GL objects; refers to (does not own) its shader.
// NOTE: the destructor deletes the GL objects; delete the old sky box when a level replaces it.
#pragma once

#include <GL/glew.h>
#include <string>
#include <vector>

class Shader;

class SkyBox {
public:
    static constexpr int VertexFloatCount = 108;

    std::vector<const char*> faces;  // entry i fills GL_TEXTURE_CUBE_MAP_POSITIVE_X + i
    float vertices[VertexFloatCount];
    Shader* shader;
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint cubemapTexture = 0;

    // No GL call; setup() makes the GL objects.
    SkyBox(std::string name, Shader* shader);
    ~SkyBox();
    SkyBox(const SkyBox&) = delete;
    SkyBox& operator=(const SkyBox&) = delete;

    // Builds the cube and the cube map and points the program's "skybox" sampler at unit 0.
    // A face that fails to load prints a line and stays empty.
    void setup();
};
