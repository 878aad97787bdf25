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
