#include "physics/BulletFoundation.h"

namespace phys {

namespace {
BulletFoundation* liveFoundation = nullptr;
}  // namespace

BulletFoundation::BulletFoundation(ErrorCallback& errorCallback) : errorCallback(errorCallback) {
    liveFoundation = this;
}

BulletFoundation::~BulletFoundation() {
    if (liveFoundation == this) liveFoundation = nullptr;
}

ErrorCallback& BulletFoundation::getErrorCallback() { return errorCallback; }

void BulletFoundation::release() { delete this; }

BulletFoundation* BulletFoundation::instance() { return liveFoundation; }

Foundation* createFoundation(ErrorCallback& errorCallback) {
    if (liveFoundation) return nullptr;
    return new BulletFoundation(errorCallback);
}

void reportError(ErrorCode code, const char* message, const char* file, int line) {
    if (liveFoundation) liveFoundation->getErrorCallback().reportError(code, message, file, line);
}

}  // namespace phys
