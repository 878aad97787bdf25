// The process's one foundation: keeps the error callback every part of the layer
// reports through. NOTE: the callback is borrowed and must outlive the foundation.
#pragma once

#include "physics/Foundation.h"

namespace phys {

class BulletFoundation final : public Foundation {
public:
    explicit BulletFoundation(ErrorCallback& errorCallback);
    ~BulletFoundation() override;
    ErrorCallback& getErrorCallback() override;
    void release() override;

    static BulletFoundation* instance();

private:
    ErrorCallback& errorCallback;
};

}  // namespace phys
