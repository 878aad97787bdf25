#include "render/Shader.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "platform/Pause.h"

namespace {

// A broken shader leaves nothing sensible to draw with: report, wait for the player, quit.
[[noreturn]] void FailShader() {
    os::Pause();
    std::exit(1);
}

std::string ShaderInfoLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0) glGetShaderInfoLog(shader, length, nullptr, log.data());
    return log.data();
}

std::string ProgramInfoLog(GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0) glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.data();
}

}  // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath, const std::string& geometryPath)
    : program(0), vertexShader(0), fragmentShader(0), geometryShader(0) {
    program = glCreateProgram();
    if (program == 0) {
        std::cerr << "Failed glCreateProgram" << std::endl;
        FailShader();
    }
    compileShader(vertexPath, GL_VERTEX_SHADER, vertexShader);
    compileShader(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    if (!geometryPath.empty()) compileShader(geometryPath, GL_GEOMETRY_SHADER, geometryShader);

    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    if (geometryShader != 0) glAttachShader(program, geometryShader);
    glLinkProgram(program);

    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        std::cerr << "FAILED TO LINK PROGRAM" << std::endl;
        std::cerr << ProgramInfoLog(program) << std::endl;
        FailShader();
    }
}

void Shader::compileShader(const std::string& path, GLenum type, GLuint& outId) {
    std::ifstream file(path);
    if (!file.good()) {
        std::cerr << "Failed to open shader file:  " << path << std::endl;
        FailShader();
    }
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();

    outId = glCreateShader(type);
    if (outId == 0) {
        std::cerr << "Failed glCreateShader" << std::endl;
        FailShader();
    }
    const char* text = source.c_str();
    glShaderSource(outId, 1, &text, nullptr);
    glCompileShader(outId);

    GLint compiled = 0;
    glGetShaderiv(outId, GL_COMPILE_STATUS, &compiled);
    if (!compiled || !glIsShader(outId)) {
        std::cerr << "FAILED TO COMPILE SHADER" << std::endl;
        std::cerr << ShaderInfoLog(outId) << std::endl;
        FailShader();
    }
    std::cout << "Loaded Shader from file: " << path << std::endl;
}
