// Shape geometry: a box of half extents, a plane, or a triangle mesh.
// NOTE: a plane is the half-space x <= 0 of its actor's frame (normal +x); turn the
// actor to orient it.
#pragma once

#include <glm/glm.hpp>

namespace phys {

class TriangleMesh;

enum class GeometryType { Box, Plane, TriangleMesh };

struct Geometry {
    GeometryType type = GeometryType::Box;
    glm::vec3 halfExtents{0.0f};          // Box
    TriangleMesh* triangleMesh = nullptr;  // TriangleMesh
    glm::vec3 meshScale{1.0f};            // TriangleMesh

    static Geometry box(const glm::vec3& halfExtents);
    static Geometry plane();
    static Geometry mesh(TriangleMesh* mesh, const glm::vec3& scale = glm::vec3(1.0f));
};

}  // namespace phys
