// What one load of a model file gives a scene object: the GPU mesh of the file's first
// mesh with its textures, the collision mesh cooked from the same triangles (null without
// a cooking object) and the bounds of its vertices.
// NOTE: `lent` says who frees the mesh's GL objects and the triangle mesh. Model::load
// hands them to its caller (false); the ModelCache keeps them and hands out lent copies
// (true), which their receivers never free.
#pragma once

#include <glm/glm.hpp>

#include "render/Mesh.h"

namespace phys {
class TriangleMesh;
}

struct LoadedModel {
    Mesh mesh;
    phys::TriangleMesh* triangleMesh = nullptr;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
    bool lent = false;
};
