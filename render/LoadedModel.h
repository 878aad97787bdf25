// What one load of a model file gives a scene object: the GPU mesh of the file's first
// mesh with its textures, the collision mesh cooked from the same triangles (null without
// a cooking object) and the bounds of its vertices.
// NOTE: a record is a value; its copies name the same GL objects and triangle mesh.
// `ownership` says whether the holder of this record frees them: Model::load gives its
// caller an owning record, the ModelCache keeps its own and hands out lend()'s borrowed
// copies, which their holders never free.
#pragma once

#include <glm/glm.hpp>

#include "render/Mesh.h"

namespace phys {
class TriangleMesh;
}

struct LoadedModel {
    enum class Ownership { Owned, Borrowed };

    Mesh mesh;
    phys::TriangleMesh* triangleMesh = nullptr;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
    Ownership ownership = Ownership::Owned;

    // A copy for another user of the same GL objects and triangle mesh, marked borrowed.
    LoadedModel lend() const;
    // Deletes the mesh's GL objects and releases the triangle mesh when the record owns
    // them; a borrowed record only lets go. Either way it names none afterwards.
    void release();
};
