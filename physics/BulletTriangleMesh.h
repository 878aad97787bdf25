// A collision triangle mesh: its own copy of the points and 32-bit indices with the
// bounding-volume tree Bullet searches. Shared by every shape that uses it.
// NOTE: reference counted; the creator's release and each shape's detach drop one.
#pragma once

#include <memory>
#include <vector>

#include <BulletCollision/CollisionShapes/btBvhTriangleMeshShape.h>
#include <BulletCollision/CollisionShapes/btTriangleIndexVertexArray.h>

#include "physics/BulletRefCount.h"
#include "physics/TriangleMesh.h"

namespace phys {

class BulletPhysics;

class BulletTriangleMesh final : public TriangleMesh {
public:
    BulletTriangleMesh(BulletPhysics& physics, std::vector<float> points, std::vector<int> indices);
    ~BulletTriangleMesh() override;

    uint32_t getNbVertices() const override { return uint32_t(points.size() / 3); }
    uint32_t getNbTriangles() const override { return uint32_t(indices.size() / 3); }
    glm::vec3 getLocalBoundsMin() const override { return boundsMin; }
    glm::vec3 getLocalBoundsMax() const override { return boundsMax; }
    void release() override;

    void acquire() { refs.acquire(); }
    void drop();
    btBvhTriangleMeshShape& shape() { return *meshShape; }
    // The unit normal of one triangle, its points scaled first; zero for a bad index or no area.
    btVector3 triangleNormal(int triangle, const btVector3& scale) const;

private:
    BulletPhysics& physics;
    std::vector<float> points;
    std::vector<int> indices;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
    std::unique_ptr<btTriangleIndexVertexArray> vertexArray;
    std::unique_ptr<btBvhTriangleMeshShape> meshShape;
    BulletRefCount refs;
};

}  // namespace phys
