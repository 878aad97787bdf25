#include "render/SkyBox.h"

#include <FreeImage.h>
#include <algorithm>
#include <iostream>
#include <iterator>

#include "platform/ReadableFile.h"
#include "render/Shader.h"

namespace {

const float CubeVertices[SkyBox::VertexFloatCount] = {
    -1, 1,  -1, -1, -1, -1, 1,  -1, -1, 1,  -1, -1, 1,  1,  -1, -1, 1,  -1,  // z = -1
    -1, -1, 1,  -1, -1, -1, -1, 1,  -1, -1, 1,  -1, -1, 1,  1,  -1, -1, 1,   // x = -1
    1,  -1, -1, 1,  -1, 1,  1,  1,  1,  1,  1,  1,  1,  1,  -1, 1,  -1, -1,  // x = 1
    -1, -1, 1,  -1, 1,  1,  1,  1,  1,  1,  1,  1,  1,  -1, 1,  -1, -1, 1,   // z = 1
    -1, 1,  -1, 1,  1,  -1, 1,  1,  1,  1,  1,  1,  -1, 1,  1,  -1, 1,  -1,  // y = 1
    -1, -1, -1, -1, -1, 1,  1,  -1, -1, 1,  -1, -1, -1, -1, 1,  1,  -1, 1,   // y = -1
};

}  // namespace

SkyBox::SkyBox(std::string /*name*/, Shader* shader)
    : faces{"./res/skybox/ltblue/left.png",  "./res/skybox/ltblue/right.png", "./res/skybox/ltblue/top.png",
            "./res/skybox/ltblue/bot.png",   "./res/skybox/ltblue/back.png",  "./res/skybox/ltblue/front.png"},
      shader(shader) {
    std::copy(std::begin(CubeVertices), std::end(CubeVertices), vertices);
}

SkyBox::~SkyBox() {
    if (vao != 0) glDeleteVertexArrays(1, &vao);
    if (vbo != 0) glDeleteBuffers(1, &vbo);
    if (cubemapTexture != 0) glDeleteTextures(1, &cubemapTexture);
}

void SkyBox::setup() {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), vertices, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);

    glGenTextures(1, &cubemapTexture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemapTexture);
    for (size_t i = 0; i < faces.size(); ++i) {
        const char* path = faces[i];
        const FREE_IMAGE_FORMAT format = os::IsReadableFile(path) ? FreeImage_GetFileType(path, 0) : FIF_UNKNOWN;
        FIBITMAP* loaded = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, path, 0);
        FIBITMAP* bitmap = loaded ? FreeImage_ConvertTo32Bits(loaded) : nullptr;
        if (loaded) FreeImage_Unload(loaded);
        if (!bitmap) {
            std::cout << "Skybox texture failed to load at path: " << path << std::endl;
            continue;
        }
        FreeImage_FlipVertical(bitmap);
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), 0, GL_RGB,
                     static_cast<GLsizei>(FreeImage_GetWidth(bitmap)), static_cast<GLsizei>(FreeImage_GetHeight(bitmap)),
                     0, GL_BGRA, GL_UNSIGNED_BYTE, FreeImage_GetBits(bitmap));
        FreeImage_Unload(bitmap);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);

    glUseProgram(shader->program);
    glUniform1i(glGetUniformLocation(shader->program, "skybox"), 0);
    std::cout << "Loaded SkyBox\n" << std::endl;
}
