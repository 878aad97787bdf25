// Builds collision triangle meshes from points and indices.
#pragma once

#include <cstdint>

namespace phys {

class Physics;
class TriangleMesh;

struct TriangleMeshDesc {
    struct {
        uint32_t count = 0;
        uint32_t stride = 12;  // bytes between points (three floats)
        const void* data = nullptr;
    } points;
    struct {
        uint32_t count = 0;    // triangles
        uint32_t stride = 12;  // bytes between triangles (three 32-bit indices)
        const void* data = nullptr;
    } triangles;
};

class Cooking {
public:
    virtual ~Cooking() = default;
    // Null, with an error report, for an empty or malformed description (index out of range).
    virtual TriangleMesh* createTriangleMesh(const TriangleMeshDesc& desc) = 0;
    virtual void release() = 0;
};

Cooking* createCooking(Physics* physics);

}  // namespace phys
