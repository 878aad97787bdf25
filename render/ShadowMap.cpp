#include "render/ShadowMap.h"

#include <iostream>

#include <glm/gtc/type_ptr.hpp>

#include "app/Globals.h"
#include "objects/GameObject.h"
#include "render/Shader.h"

namespace service {

GLuint ShadowMap::sharedFramebuffer = 0;
GLuint ShadowMap::sharedTexture = 0;

void ShadowMap::makeShared() {
    if (sharedTexture != 0) return;
    glGenFramebuffers(1, &sharedFramebuffer);
    glGenTextures(1, &sharedTexture);
    glBindTexture(GL_TEXTURE_2D, sharedTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, Size, Size, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    // Outside the map counts as farthest depth: lit.
    const float border[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);

    glBindFramebuffer(GL_FRAMEBUFFER, sharedFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, sharedTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        std::cerr << "ShadowMap: framebuffer incomplete (status 0x" << std::hex << status << std::dec
                  << "), no shadows" << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

ShadowMap::ShadowMap() {
    makeShared();
    depthMapFBO = sharedFramebuffer;
    depthMap = sharedTexture;
    glBindTexture(GL_TEXTURE_2D, depthMap);
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    // The whole map, whatever scissor the depth pass left: a pass that clears only where
    // this level's objects are must not find the last level's depth anywhere.
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    std::cout << "Loaded ShadowMap\n" << std::endl;
}

ShadowMap::~ShadowMap() = default;

void ShadowMap::releaseShared() {
    if (sharedFramebuffer != 0) glDeleteFramebuffers(1, &sharedFramebuffer);
    if (sharedTexture != 0) glDeleteTextures(1, &sharedTexture);
    sharedFramebuffer = 0;
    sharedTexture = 0;
}

GLuint ShadowMap::getDepthMap() {
    return depthMap;
}

void ShadowMap::render(std::vector<object::GameObject*> objects, Shader* depthShader) {
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glViewport(0, 0, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    glClear(GL_DEPTH_BUFFER_BIT);
    for (object::GameObject* object : objects) {
        const glm::mat4 depthMVP = (lightProjection * lightView) * object->modelMatrix;
        glUseProgram(depthShader->program);
        glUniformMatrix4fv(glGetUniformLocation(depthShader->program, "depthMVP"), 1, GL_FALSE,
                           glm::value_ptr(depthMVP));
        glBindVertexArray(object->mesh.vao);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(object->mesh.indices.size()), GL_UNSIGNED_INT, nullptr);
        glBindVertexArray(0);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace service
