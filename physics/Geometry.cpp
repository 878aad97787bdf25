#include "physics/Geometry.h"

namespace phys {

Geometry Geometry::box(const glm::vec3& halfExtents) {
    Geometry g;
    g.type = GeometryType::Box;
    g.halfExtents = halfExtents;
    return g;
}

Geometry Geometry::plane() {
    Geometry g;
    g.type = GeometryType::Plane;
    return g;
}

Geometry Geometry::mesh(TriangleMesh* mesh, const glm::vec3& scale) {
    Geometry g;
    g.type = GeometryType::TriangleMesh;
    g.triangleMesh = mesh;
    g.meshScale = scale;
    return g;
}

}  // namespace phys
