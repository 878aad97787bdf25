#include "render/Shader.h"

#include <iostream>
#include <vector>

#include "platform/Pause.h"
#include "platform/RegularFile.h"

namespace {

// The info log of a shader or a program, read with the matching pair of GL queries.
std::string InfoLog(GLuint object, PFNGLGETSHADERIVPROC getLength, PFNGLGETSHADERINFOLOGPROC getLog) {
    GLint length = 0;
    getLength(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0) getLog(object, length, nullptr, log.data());
    return log.data();
}

}  // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath, const std::string& geometryPath)
    : program(0), vertexShader(0), fragmentShader(0), geometryShader(0) {
    program = glCreateProgram();
    if (program == 0) {
        std::cerr << "Failed glCreateProgram" << std::endl;
        os::PauseAndExit();
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
        std::cerr << InfoLog(program, glGetProgramiv, glGetProgramInfoLog) << std::endl;
        os::PauseAndExit();
    }
}

void Shader::compileShader(const std::string& path, GLenum type, GLuint& outId) {
    // A folder, a file without read permission, a read error or a file over the limit fails
    // like a missing file; a regular file not read whole says why first.
    os::RegularFile file(path);
    std::string source;
    std::string reason;
    if (!file.readAll(source, reason, MaxSourceBytes)) {
        if (file.readable()) std::cerr << "Shader file " << path << " not loaded: " << reason << std::endl;
        std::cerr << "Failed to open shader file:  " << path << std::endl;
        os::PauseAndExit();
    }

    outId = glCreateShader(type);
    if (outId == 0) {
        std::cerr << "Failed glCreateShader" << std::endl;
        os::PauseAndExit();
    }
    const char* text = source.c_str();
    glShaderSource(outId, 1, &text, nullptr);
    glCompileShader(outId);

    GLint compiled = 0;
    glGetShaderiv(outId, GL_COMPILE_STATUS, &compiled);
    if (!compiled || !glIsShader(outId)) {
        std::cerr << "FAILED TO COMPILE SHADER" << std::endl;
        std::cerr << InfoLog(outId, glGetShaderiv, glGetShaderInfoLog) << std::endl;
        os::PauseAndExit();
    }
    std::cout << "Loaded Shader from file: " << path << std::endl;
}
