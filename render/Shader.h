// One linked GL program built from GLSL files. A missing file, a failed compile or
// link ends the process.
#pragma once

#include <GL/glew.h>
#include <cstdint>
#include <string>

class Shader {
public:
    // Far above any shader a person writes; a larger file fails like a missing one.
    static constexpr int64_t MaxSourceBytes = 1024 * 1024;

    GLuint program;
    GLuint vertexShader;
    GLuint fragmentShader;
    GLuint geometryShader;

    Shader(const std::string& vertexPath, const std::string& fragmentPath, const std::string& geometryPath);
    static void compileShader(const std::string& path, GLenum type, GLuint& outId);
};
