#include "physics/BulletTriangleMesh.h"

#include <utility>

#include "physics/BulletPhysics.h"
#include "physics/Foundation.h"

namespace phys {

BulletTriangleMesh::BulletTriangleMesh(BulletPhysics& physics, std::vector<float> pointData, std::vector<int> indexData)
    : physics(physics), points(std::move(pointData)), indices(std::move(indexData)) {
    boundsMin = boundsMax = glm::vec3(points[0], points[1], points[2]);
    for (size_t i = 0; i < points.size(); i += 3) {
        const glm::vec3 p(points[i], points[i + 1], points[i + 2]);
        boundsMin = glm::min(boundsMin, p);
        boundsMax = glm::max(boundsMax, p);
    }
    vertexArray = std::make_unique<btTriangleIndexVertexArray>(int(indices.size() / 3), indices.data(),
                                                               int(3 * sizeof(int)), int(points.size() / 3),
                                                               points.data(), int(3 * sizeof(float)));
    meshShape = std::make_unique<btBvhTriangleMeshShape>(vertexArray.get(), true);
    physics.track(this);
}

BulletTriangleMesh::~BulletTriangleMesh() {
    meshShape.reset();
    vertexArray.reset();
    physics.untrack(this);
}

btVector3 BulletTriangleMesh::triangleNormal(int triangle, const btVector3& scale) const {
    if (triangle < 0 || size_t(triangle) >= indices.size() / 3) return btVector3(0, 0, 0);
    btVector3 corner[3];
    for (int i = 0; i < 3; ++i) {
        const size_t point = size_t(indices[size_t(triangle) * 3 + size_t(i)]) * 3;
        corner[i] = btVector3(points[point], points[point + 1], points[point + 2]) * scale;
    }
    const btVector3 normal = (corner[1] - corner[0]).cross(corner[2] - corner[0]);
    const btScalar length = normal.length();
    return length > 0 ? normal / length : btVector3(0, 0, 0);
}

void BulletTriangleMesh::release() {
    bool last = false;
    if (!refs.dropCreator(last)) {
        reportError(ErrorCode::InvalidOperation, "TriangleMesh::release: the mesh was already released.", __FILE__,
                    __LINE__);
        return;
    }
    if (last) delete this;
}

void BulletTriangleMesh::drop() {
    if (refs.drop()) delete this;
}

}  // namespace phys
