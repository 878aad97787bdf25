// Helpers shared by the scene-object tests: the process's physics objects, a scene,
// cooked collision meshes, a temporary folder to run the level loader in, and a check
// for the model files the GL tests load.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "app/Globals.h"
#include "objects/ParticleObject.h"
#include "physics/Cooking.h"
#include "physics/Foundation.h"
#include "physics/Physics.h"
#include "physics/Scene.h"
#include "physics/TriangleMesh.h"
#include "ScratchRes.h"
#include "TestSupport.h"

namespace objtest {

using testsupport::ScopedChdir;

class QuietErrors : public phys::ErrorCallback {
public:
    std::vector<std::string> messages;
    void reportError(phys::ErrorCode, const char* message, const char*, int) override {
        messages.push_back(message);
    }
};

// One foundation per process: the globals `physics` and `cooking` are reused when some
// other test of this binary made them first.
inline bool EnsurePhysics() {
    static QuietErrors errors;
    if (physics == nullptr) {
        if (foundation == nullptr) foundation = phys::createFoundation(errors);
        if (foundation != nullptr) physics = phys::createPhysics(foundation);
    }
    if (physics != nullptr && cooking == nullptr) cooking = phys::createCooking(physics);
    return physics != nullptr && cooking != nullptr;
}

inline phys::Scene* NewScene() {
    phys::SceneDesc desc;
    desc.gravity = glm::vec3(0.0f, -9.8f, 0.0f);
    desc.workerThreads = 1;
    return physics->createScene(desc);
}

inline phys::TriangleMesh* Cook(const std::vector<glm::vec3>& points, const std::vector<uint32_t>& indices) {
    phys::TriangleMeshDesc desc;
    desc.points.count = static_cast<uint32_t>(points.size());
    desc.points.data = points.data();
    desc.triangles.count = static_cast<uint32_t>(indices.size() / 3);
    desc.triangles.data = indices.data();
    return cooking->createTriangleMesh(desc);
}

// A closed box from min to max, wound outwards.
inline phys::TriangleMesh* CookBox(const glm::vec3& min, const glm::vec3& max) {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 8; ++i) {
        points.emplace_back((i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z);
    }
    const std::vector<uint32_t> indices = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                           2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return Cook(points, indices);
}

// Level files written in a scratch res/ that still finds the game's models.
using LevelFolder = testsupport::ScratchRes;

// The models the tile and burst tests load from the working directory.
inline ::testing::AssertionResult TileModelsPresent() {
    return testsupport::TrackedFilesPresent({"./res/Models/spielfeld.obj", object::ParticleObject::ModelPath});
}

// A fresh scene for each test, released at its end.
class SceneTest : public ::testing::Test {
protected:
    phys::Scene* world = nullptr;

    void SetUp() override {
        ASSERT_TRUE(EnsurePhysics()) << "no physics layer";
        world = NewScene();
        ASSERT_NE(world, nullptr);
    }
    void TearDown() override {
        if (world != nullptr) world->release();
    }
};

}  // namespace objtest
