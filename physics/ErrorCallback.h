// Receives every error and warning the physics layer reports.
#pragma once

#include "physics/PhysicsTypes.h"

namespace phys {

class ErrorCallback {
public:
    virtual ~ErrorCallback() = default;
    virtual void reportError(ErrorCode code, const char* message, const char* file, int line) = 0;
};

}  // namespace phys
