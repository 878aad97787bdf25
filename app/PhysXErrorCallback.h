// The foundation's error callback: prints every physics error or warning as one line
// on standard output. Keeps no state.
#pragma once

#include "physics/ErrorCallback.h"

namespace service {

class PhysXErrorCallback : public phys::ErrorCallback {
public:
    void reportError(phys::ErrorCode code, const char* message, const char* file, int line) override;
};

}  // namespace service
