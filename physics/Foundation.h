// The root of the physics layer: holds the error callback that every other part
// of the layer reports through. One per process.
#pragma once

#include "physics/ErrorCallback.h"

namespace phys {

class Foundation {
public:
    virtual ~Foundation() = default;
    virtual ErrorCallback& getErrorCallback() = 0;
    virtual void release() = 0;
};

// Null when a foundation already exists (one per process).
Foundation* createFoundation(ErrorCallback& errorCallback);

// Reports through the foundation's callback; does nothing before a foundation exists.
void reportError(ErrorCode code, const char* message, const char* file, int line);

}  // namespace phys
