// Makes the box controllers of one scene and owns them; the scene frees it on release.
#pragma once

#include <vector>

#include "physics/ControllerManager.h"

namespace phys {

class BulletController;
class BulletScene;

class BulletControllerManager final : public ControllerManager {
public:
    explicit BulletControllerManager(BulletScene& scene);
    ~BulletControllerManager() override;

    Controller* createController(const BoxControllerDesc& desc) override;
    unsigned getNbControllers() const override { return unsigned(controllers.size()); }
    void release() override;

    BulletScene& scene() const { return owner; }
    void forget(BulletController* controller);

private:
    BulletScene& owner;
    std::vector<BulletController*> controllers;
};

}  // namespace phys
