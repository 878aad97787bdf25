#include "physics/BulletCooking.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "physics/BulletPhysics.h"
#include "physics/BulletTriangleMesh.h"
#include "physics/Foundation.h"

namespace phys {

BulletCooking::BulletCooking(BulletPhysics& physics) : physics(physics) {}

TriangleMesh* BulletCooking::createTriangleMesh(const TriangleMeshDesc& desc) {
    if (desc.points.count == 0 || desc.triangles.count == 0 || !desc.points.data || !desc.triangles.data) {
        reportError(ErrorCode::InvalidParameter, "Cooking::createTriangleMesh: the mesh has no points or no triangles.",
                    __FILE__, __LINE__);
        return nullptr;
    }
    if (desc.points.stride < 3 * sizeof(float) || desc.triangles.stride < 3 * sizeof(uint32_t)) {
        reportError(ErrorCode::InvalidParameter, "Cooking::createTriangleMesh: a stride is smaller than its element.",
                    __FILE__, __LINE__);
        return nullptr;
    }

    std::vector<float> points(size_t(desc.points.count) * 3);
    const auto* pointBytes = static_cast<const unsigned char*>(desc.points.data);
    for (uint32_t i = 0; i < desc.points.count; ++i) {
        std::memcpy(&points[size_t(i) * 3], pointBytes + size_t(i) * desc.points.stride, 3 * sizeof(float));
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(points[size_t(i) * 3 + k])) {
                reportError(ErrorCode::InvalidParameter, "Cooking::createTriangleMesh: a point is not finite.",
                            __FILE__, __LINE__);
                return nullptr;
            }
        }
    }

    std::vector<int> indices(size_t(desc.triangles.count) * 3);
    const auto* triangleBytes = static_cast<const unsigned char*>(desc.triangles.data);
    for (uint32_t t = 0; t < desc.triangles.count; ++t) {
        uint32_t triangle[3];
        std::memcpy(triangle, triangleBytes + size_t(t) * desc.triangles.stride, sizeof(triangle));
        for (int k = 0; k < 3; ++k) {
            if (triangle[k] >= desc.points.count) {
                reportError(ErrorCode::InvalidParameter,
                            "Cooking::createTriangleMesh: a triangle index is out of the point range.", __FILE__,
                            __LINE__);
                return nullptr;
            }
            indices[size_t(t) * 3 + k] = int(triangle[k]);
        }
    }
    return new BulletTriangleMesh(physics, std::move(points), std::move(indices));
}

void BulletCooking::release() { delete this; }

Cooking* createCooking(Physics* physics) {
    auto* bulletPhysics = dynamic_cast<BulletPhysics*>(physics);
    if (!bulletPhysics) {
        reportError(ErrorCode::InvalidParameter, "createCooking: no physics object.", __FILE__, __LINE__);
        return nullptr;
    }
    return new BulletCooking(*bulletPhysics);
}

}  // namespace phys
