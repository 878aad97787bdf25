// The sun: direction and the three light colours sent to the lit shader.
#pragma once

#include <glm/glm.hpp>

struct SunLight {
    glm::vec3 direction;
    glm::vec3 ambient;
    glm::vec3 diffuse;
    glm::vec3 specular;
};
