// The camera's perspective projection for a window size, computed once at start-up.
#pragma once

#include <cstdint>

#include <glm/glm.hpp>

// 60-degree vertical field of view, aspect width / height, near 0.01, far 1000.
glm::mat4 CameraProjection(int32_t width, int32_t height);
