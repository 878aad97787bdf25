#include "render/ShadowMap.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

#include <glm/gtc/type_ptr.hpp>

#include "app/Globals.h"
#include "render/Shader.h"

namespace {

using Cover = service::ShadowMap::Cover;

// Texels around a drawn edge that still count as covered: pixel centres exactly on a
// bound and rounding in the corner transform must not fall outside.
constexpr int CoverMargin = 2;

bool Empty(const Cover& c) {
    return c.x0 >= c.x1 || c.y0 >= c.y1;
}

Cover Union(const Cover& a, const Cover& b) {
    if (Empty(a)) return b;
    if (Empty(b)) return a;
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

// The texels that one mesh can reach in a width x height map where modelMatrix puts it,
// from the light-space corners of its vertices' box; the whole map when that cannot be told.
Cover CoverOf(const Mesh& mesh, const glm::mat4& modelMatrix, const glm::mat4& lightSpace, int width, int height) {
    const Cover whole{0, 0, width, height};
    const std::vector<Vertex>& vertices = mesh.vertices;
    if (mesh.indices.empty()) return {0, 0, 0, 0};
    if (vertices.empty()) return whole;  // drawn from buffers whose extent we do not know
    glm::vec3 low = vertices.front().position;
    glm::vec3 high = low;
    for (const Vertex& vertex : vertices) {
        low = glm::min(low, vertex.position);
        high = glm::max(high, vertex.position);
    }
    const glm::mat4 toLight = lightSpace * modelMatrix;
    glm::vec2 lowNdc(std::numeric_limits<float>::max());
    glm::vec2 highNdc(-std::numeric_limits<float>::max());
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec4 local((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                              (corner & 4) ? high.z : low.z, 1.0f);
        const glm::vec4 clip = toLight * local;
        // A matrix that is not yet set (all zero) or not affine: no box to trust.
        if (!(clip.w > 0.0f) || !std::isfinite(clip.x) || !std::isfinite(clip.y)) return whole;
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        lowNdc = glm::min(lowNdc, ndc);
        highNdc = glm::max(highNdc, ndc);
    }
    const auto texel = [](float ndc, int size) {
        // Clamped first, so far-away objects cannot overflow the integer conversion.
        return glm::clamp((ndc * 0.5f + 0.5f) * static_cast<float>(size), -1.0f, static_cast<float>(size) + 1.0f);
    };
    Cover cover{static_cast<int>(std::floor(texel(lowNdc.x, width))) - CoverMargin,
                static_cast<int>(std::floor(texel(lowNdc.y, height))) - CoverMargin,
                static_cast<int>(std::ceil(texel(highNdc.x, width))) + CoverMargin,
                static_cast<int>(std::ceil(texel(highNdc.y, height))) + CoverMargin};
    cover.x0 = std::max(cover.x0, 0);
    cover.y0 = std::max(cover.y0, 0);
    cover.x1 = std::min(cover.x1, width);
    cover.y1 = std::min(cover.y1, height);
    if (Empty(cover)) return {0, 0, 0, 0};
    return cover;
}

}  // namespace

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

void ShadowMap::renderCasters(const std::vector<Caster>& casters, Shader* depthShader) {
    const glm::mat4 lightSpace = lightProjection * lightView;
    Cover cover{0, 0, 0, 0};
    for (const Caster& caster : casters) {
        cover = Union(cover, CoverOf(*caster.mesh, *caster.modelMatrix, lightSpace, width, height));
    }
    const Cover cleared = Union(cover, lastCover);
    lastCover = cover;

    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glViewport(0, 0, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, depthMapFBO);
    glEnable(GL_SCISSOR_TEST);
    glScissor(cleared.x0, cleared.y0, cleared.x1 - cleared.x0, cleared.y1 - cleared.y0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glScissor(cover.x0, cover.y0, cover.x1 - cover.x0, cover.y1 - cover.y0);
    if (!casters.empty()) {
        // One program and one uniform for the whole pass: look it up once.
        const GLint depthMVPLocation = glGetUniformLocation(depthShader->program, "depthMVP");
        glUseProgram(depthShader->program);
        for (const Caster& caster : casters) {
            if (caster.mesh->indices.empty()) continue;
            const glm::mat4 depthMVP = lightSpace * *caster.modelMatrix;
            glUniformMatrix4fv(depthMVPLocation, 1, GL_FALSE, glm::value_ptr(depthMVP));
            glBindVertexArray(caster.mesh->vao);
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(caster.mesh->indices.size()), GL_UNSIGNED_INT,
                           nullptr);
        }
        glBindVertexArray(0);
    }
    glScissor(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace service
