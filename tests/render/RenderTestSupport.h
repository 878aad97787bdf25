// Helpers shared by the rendering tests: a cooking stand-in that records what it is
// given, an offscreen colour target to read pixels back, the process's RSS, file paths.
#pragma once

#include <GL/glew.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include <gtest/gtest.h>

#include "physics/Cooking.h"
#include "render/ShaderManager.h"
#include "physics/TriangleMesh.h"
#include "TestSupport.h"

namespace rendertest {

using testsupport::ResidentKb;
using testsupport::ScopedChdir;

// The game's six programs, built once per test binary with their console lines swallowed.
inline ShaderManager* Shaders() {
    static ShaderManager* manager = [] {
        testing::internal::CaptureStdout();
        auto* made = new ShaderManager();
        testing::internal::GetCapturedStdout();
        return made;
    }();
    return manager;
}

// The rendering tests' data, found in the source folder from any working directory.
inline std::string DataDir() {
    return QV_TESTS_DIR "/render/data";
}

class RecordedTriangleMesh : public phys::TriangleMesh {
public:
    uint32_t vertices = 0;
    uint32_t triangles = 0;
    uint32_t getNbVertices() const override { return vertices; }
    uint32_t getNbTriangles() const override { return triangles; }
    glm::vec3 getLocalBoundsMin() const override { return glm::vec3(0.0f); }
    glm::vec3 getLocalBoundsMax() const override { return glm::vec3(0.0f); }
    void release() override { delete this; }
};

// Copies every description it gets; returns a mesh that the caller releases.
class RecordingCooking : public phys::Cooking {
public:
    int calls = 0;
    std::vector<glm::vec3> points;
    std::vector<uint32_t> indices;
    uint32_t pointStride = 0;
    uint32_t triangleStride = 0;

    phys::TriangleMesh* createTriangleMesh(const phys::TriangleMeshDesc& desc) override {
        ++calls;
        pointStride = desc.points.stride;
        triangleStride = desc.triangles.stride;
        points.assign(static_cast<const glm::vec3*>(desc.points.data),
                      static_cast<const glm::vec3*>(desc.points.data) + desc.points.count);
        indices.assign(static_cast<const uint32_t*>(desc.triangles.data),
                       static_cast<const uint32_t*>(desc.triangles.data) + desc.triangles.count * 3);
        auto* mesh = new RecordedTriangleMesh;
        mesh->vertices = desc.points.count;
        mesh->triangles = desc.triangles.count;
        return mesh;
    }
    void release() override {}
};

// An RGBA8 + depth framebuffer of the window's size, bound while it lives.
class OffscreenTarget {
public:
    OffscreenTarget(int width, int height) : width_(width), height_(height) {
        glGenFramebuffers(1, &fbo_);
        glGenRenderbuffers(2, buffers_);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers_[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);
        glViewport(0, 0, width, height);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    ~OffscreenTarget() {
        GLint bound = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
        if (static_cast<GLuint>(bound) == fbo_) glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo_);
        glDeleteRenderbuffers(2, buffers_);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    bool complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }
    // Whole image, rows from the bottom, 4 bytes a pixel.
    std::vector<unsigned char> pixels() const {
        std::vector<unsigned char> data(static_cast<size_t>(width_) * height_ * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
        return data;
    }
    glm::ivec3 pixel(int x, int y) const {
        unsigned char rgba[4] = {0, 0, 0, 0};
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return glm::ivec3(rgba[0], rgba[1], rgba[2]);
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    GLuint fbo_ = 0;
    GLuint buffers_[2] = {0, 0};
};

// A fresh folder under /tmp, removed with its files at the end of the test, or at exit()
// in a death test's child that made it (which never reaches the destructor).
class TempDir {
public:
    TempDir() : owner_(getpid()) {
        char pattern[] = "/tmp/qv-render-XXXXXX";
        path_ = mkdtemp(pattern);
        // The list is made first, so that it is destroyed after the handler has run.
        static const bool atExit = (Live(), std::atexit([] { while (!Live().empty()) Live().back()->remove(); }) == 0);
        (void)atExit;
        Live().push_back(this);
    }
    ~TempDir() { remove(); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    static std::vector<TempDir*>& Live() {
        static std::vector<TempDir*> live;
        return live;
    }
    void remove() {
        // A forked child shares its parent's folder: only the process that made it removes it.
        if (owner_ == getpid()) std::system(("rm -rf '" + path_ + "'").c_str());
        Live().erase(std::find(Live().begin(), Live().end(), this));
    }
    pid_t owner_;
    std::string path_;
};

}  // namespace rendertest
