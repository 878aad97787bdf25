#include "physics/BulletControllerManager.h"

#include <algorithm>

#include "physics/BulletController.h"
#include "physics/BulletScene.h"
#include "physics/Controller.h"
#include "physics/Foundation.h"

namespace phys {

BulletControllerManager::BulletControllerManager(BulletScene& scene) : owner(scene) {
    owner.adoptControllerManager(this);
}

BulletControllerManager::~BulletControllerManager() {
    while (!controllers.empty()) controllers.back()->release();
    owner.forgetControllerManager(this);
}

Controller* BulletControllerManager::createController(const BoxControllerDesc& desc) {
    if (!desc.isValid()) {
        reportError(ErrorCode::InvalidParameter,
                    "ControllerManager::createController: the description is not valid (half extents must be "
                    "positive and the step offset at most twice the half height).",
                    __FILE__, __LINE__);
        return nullptr;
    }
    auto* controller = new BulletController(*this, desc);
    controllers.push_back(controller);
    return controller;
}

void BulletControllerManager::release() { delete this; }

void BulletControllerManager::forget(BulletController* controller) {
    controllers.erase(std::remove(controllers.begin(), controllers.end(), controller), controllers.end());
}

ControllerManager* createControllerManager(Scene* scene) {
    auto* bulletScene = dynamic_cast<BulletScene*>(scene);
    if (!bulletScene) {
        reportError(ErrorCode::InvalidParameter, "createControllerManager: no scene given.", __FILE__, __LINE__);
        return nullptr;
    }
    return new BulletControllerManager(*bulletScene);
}

}  // namespace phys
