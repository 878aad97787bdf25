// Creates and owns the character controllers of one scene.
#pragma once

namespace phys {

class Scene;
class Controller;
struct BoxControllerDesc;

class ControllerManager {
public:
    // Null, with an error report, when the description is invalid.
    virtual Controller* createController(const BoxControllerDesc& desc) = 0;
    virtual unsigned getNbControllers() const = 0;
    // Frees every controller with its actor.
    virtual void release() = 0;
protected:
    virtual ~ControllerManager() = default;
};

// The scene's release frees its managers too.
ControllerManager* createControllerManager(Scene* scene);

}  // namespace phys
