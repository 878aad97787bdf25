// What one load of a model file gives a scene object: the GPU mesh of the file's first
// mesh with its textures, the collision mesh cooked from the same triangles (null without
// a cooking object) and the bounds of its vertices.
// NOTE: the record Model::load gives owns its GL objects and triangle mesh and frees them
// once, by release() or its destructor; it moves, and cannot be copied. lend() gives a
// borrowed record of the same objects that frees nothing: the owner outlives every user of
// it (the ModelCache owns what it lends until releaseAll).
#pragma once

#include <glm/glm.hpp>

#include "render/Mesh.h"

namespace phys {
class TriangleMesh;
}

class LoadedModel {
public:
    Mesh mesh;
    phys::TriangleMesh* triangleMesh = nullptr;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};

    // Names nothing.
    LoadedModel() = default;
    // The owning record of what one load made.
    LoadedModel(Mesh mesh, phys::TriangleMesh* triangleMesh, const glm::vec3& boundsMin, const glm::vec3& boundsMax);
    ~LoadedModel();
    // The moved-from record names nothing; an assigned-to one frees what it owned first.
    LoadedModel(LoadedModel&& other) noexcept;
    LoadedModel& operator=(LoadedModel&& other) noexcept;
    LoadedModel(const LoadedModel&) = delete;
    LoadedModel& operator=(const LoadedModel&) = delete;

    // A borrowed record of the same GL objects and triangle mesh, for another user.
    LoadedModel lend() const;
    // Whether this record frees what it names.
    bool owns() const;
    // Deletes the mesh's GL objects and releases the triangle mesh when the record owns
    // them; a borrowed record only lets go. Either way it names none afterwards.
    void release();

private:
    bool owning = true;
};
