#include "physics/Controller.h"

#include <cmath>

#include "physics/BulletConvert.h"

namespace phys {

bool BoxControllerDesc::isValid() const {
    const bool finite = isFinite(position) && isFinite(upDirection) && std::isfinite(slopeLimit) &&
                        std::isfinite(contactOffset) && std::isfinite(stepOffset) && std::isfinite(density) &&
                        std::isfinite(halfHeight) && std::isfinite(halfSideExtent) && std::isfinite(halfForwardExtent);
    if (!finite) return false;
    if (glm::length(upDirection) <= 0.0f) return false;
    if (halfHeight <= 0.0f || halfSideExtent <= 0.0f || halfForwardExtent <= 0.0f) return false;
    if (contactOffset <= 0.0f || stepOffset < 0.0f || slopeLimit < 0.0f || density < 0.0f) return false;
    return stepOffset <= 2.0f * halfHeight;
}

}  // namespace phys
