// One vertex as it lies in the GPU vertex buffer: 32 bytes, attributes 0, 1, 2.
#pragma once

#include <glm/glm.hpp>

struct Vertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 texCoords;
};
