// A collision mesh built once from points and 32-bit indices, shared by any number of shapes.
#pragma once

#include <cstdint>
#include <glm/glm.hpp>

namespace phys {

class TriangleMesh {
public:
    virtual uint32_t getNbVertices() const = 0;
    virtual uint32_t getNbTriangles() const = 0;
    virtual glm::vec3 getLocalBoundsMin() const = 0;
    virtual glm::vec3 getLocalBoundsMax() const = 0;
    // Drops the creator's reference; freed once no shape uses it either.
    virtual void release() = 0;
protected:
    virtual ~TriangleMesh() = default;
};

}  // namespace phys
