// Conversions between the layer's glm-based values and Bullet's math types.
// Internal to physics/: nothing outside this folder may include Bullet headers.
#pragma once

#include <cmath>

#include <LinearMath/btTransform.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "physics/PhysicsTypes.h"

namespace phys {

inline btVector3 toBt(const glm::vec3& v) { return btVector3(v.x, v.y, v.z); }
inline btVector3 toBt(const glm::dvec3& v) { return btVector3(btScalar(v.x), btScalar(v.y), btScalar(v.z)); }
inline btQuaternion toBt(const glm::quat& q) { return btQuaternion(q.x, q.y, q.z, q.w); }
inline btTransform toBt(const Pose& pose) { return btTransform(toBt(pose.q), toBt(pose.p)); }

inline glm::vec3 toGlm(const btVector3& v) { return glm::vec3(v.x(), v.y(), v.z()); }
inline glm::quat toGlm(const btQuaternion& q) { return glm::quat(q.w(), q.x(), q.y(), q.z()); }
inline Pose toPose(const btTransform& t) { return Pose(toGlm(t.getOrigin()), toGlm(t.getRotation())); }

inline bool isFinite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
inline bool isFinite(const glm::dvec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace phys
