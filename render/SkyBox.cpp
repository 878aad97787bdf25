#include "render/SkyBox.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ReadableFile.h"
#include "render/DecodedImage.h"
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

// A face image as uploaded: 32-bit BGRA rows, bottom row first.
struct DecodedFace {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;
};

// Every level's sky shows the same six images: each is decoded once per process and kept
// (6 MB), so a level only uploads them. Kept per file version, so another folder's or a
// rewritten image is decoded anew. A face that fails is not kept: it fails, with its line,
// at every set-up.
const DecodedFace* DecodeFace(const char* path) {
    static std::map<os::FileVersion, DecodedFace> decoded;
    const std::optional<os::FileVersion> version = os::VersionOf(path);
    if (!version) return nullptr;
    const auto found = decoded.find(*version);
    if (found != decoded.end()) return &found->second;
    const DecodedImage image(path);
    if (image.empty()) return nullptr;
    // Copied out and the bitmap freed at once: six bitmaps kept for good leave the heap in
    // pieces that cost the first set-up of a larger level some 10 ms. 32-bit rows have no
    // padding.
    const auto* bits = static_cast<const unsigned char*>(image.pixels());
    try {
        DecodedFace face{image.width(), image.height(), {bits, bits + 4 * size_t{image.width()} * image.height()}};
        return &decoded.emplace(*version, std::move(face)).first->second;
    } catch (const std::bad_alloc&) {
        return nullptr;  // no memory for the copy: the face fails like an unreadable one
    }
}

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
        const DecodedFace* face = DecodeFace(path);
        if (!face) {
            std::cout << "Skybox texture failed to load at path: " << path << std::endl;
            continue;
        }
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(i), 0, GL_RGB,
                     static_cast<GLsizei>(face->width), static_cast<GLsizei>(face->height), 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, face->pixels.data());
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
