#include "app/CameraProjection.h"

#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float FieldOfViewDegrees = 60.0f;
constexpr float NearPlane = 0.01f;
constexpr float FarPlane = 1000.0f;

}  // namespace

glm::mat4 CameraProjection(int32_t width, int32_t height) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    return glm::perspective(glm::radians(FieldOfViewDegrees), aspect, NearPlane, FarPlane);
}
