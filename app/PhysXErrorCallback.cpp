#include "app/PhysXErrorCallback.h"

#include <iostream>

namespace service {

void PhysXErrorCallback::reportError(phys::ErrorCode code, const char* message, const char* file, int line) {
    std::cout << "PHYSX-ERROR[" << static_cast<int>(code) << "]: " << message << "from" << file << "@ line: " << line
              << std::endl;
}

}  // namespace service
