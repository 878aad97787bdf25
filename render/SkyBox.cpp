#include "render/SkyBox.h"

#include <FreeImage.h>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ReadableFile.h"
#include "render/Shader.h"

namespace fs = std::filesystem;

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
// (6 MB), so a level only uploads them. Keyed like a file (absolute path and write time),
// so another folder's or a rewritten image is decoded anew. A face that fails is not kept:
// it fails, with its line, at every set-up.
const DecodedFace* DecodeFace(const char* path) {
    static std::map<std::pair<std::string, fs::file_time_type::rep>, DecodedFace> decoded;
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error).lexically_normal();
    const fs::file_time_type written = fs::last_write_time(absolute, error);
    if (error) return nullptr;
    const auto key = std::make_pair(absolute.string(), written.time_since_epoch().count());
    const auto found = decoded.find(key);
    if (found != decoded.end()) return &found->second;

    const FREE_IMAGE_FORMAT format = os::IsReadableFile(path) ? FreeImage_GetFileType(path, 0) : FIF_UNKNOWN;
    FIBITMAP* loaded = format == FIF_UNKNOWN ? nullptr : FreeImage_Load(format, path, 0);
    FIBITMAP* bitmap = loaded ? FreeImage_ConvertTo32Bits(loaded) : nullptr;
    if (loaded) FreeImage_Unload(loaded);
    if (!bitmap) return nullptr;
    FreeImage_FlipVertical(bitmap);
    DecodedFace face;
    face.width = FreeImage_GetWidth(bitmap);
    face.height = FreeImage_GetHeight(bitmap);
    // 32-bit FreeImage rows are whole pixels wide, without padding.
    const BYTE* bits = FreeImage_GetBits(bitmap);
    face.pixels.assign(bits, bits + static_cast<size_t>(FreeImage_GetPitch(bitmap)) * face.height);
    FreeImage_Unload(bitmap);
    return &decoded.emplace(key, std::move(face)).first->second;
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
