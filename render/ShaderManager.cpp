#include "render/ShaderManager.h"

#include <iostream>

#include "render/Shader.h"

namespace {

Shader* BuildProgram(const char* name) {
    const std::string base = std::string("./res/Shader/") + name;
    return new Shader(base + ".vert", base + ".frag", "");
}

}  // namespace

ShaderManager::ShaderManager()
    : complexShader(nullptr),
      textShader(nullptr),
      shadowMapsQuadShader(nullptr),
      shadowMapShader(nullptr),
      skyboxShader(nullptr),
      particleShader(nullptr) {
    complexShader = BuildProgram("complex");
    textShader = BuildProgram("text");
    shadowMapsQuadShader = BuildProgram("shadowMapsQuad");
    shadowMapShader = BuildProgram("shadowMapShader");
    skyboxShader = BuildProgram("skybox");
    particleShader = BuildProgram("particle");
    std::cout << "All shaders in ShaderManager loaded!!!\n" << std::endl;
}

ShaderManager::~ShaderManager() {
    delete complexShader;
    delete textShader;
    delete shadowMapsQuadShader;
    delete shadowMapShader;
    delete skyboxShader;
    delete particleShader;
}
