#include "physics/PhysicsTypes.h"

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace phys {

namespace {
// A rotation read back from the engine drifts a little off unit length.
constexpr float UnitQuaternionTolerance = 1e-3f;
}  // namespace

bool Pose::isValid() const {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w)) return false;
    return std::fabs(glm::length(q) - 1.0f) < UnitQuaternionTolerance;
}

Matrix44::Matrix44(const Pose& pose) {
    glm::mat4 m = glm::mat4_cast(pose.q);
    m[3] = glm::vec4(pose.p, 1.0f);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) column[c][r] = m[c][r];
}

}  // namespace phys
