// An actor that never moves by itself.
#pragma once

#include "physics/RigidActor.h"

namespace phys {

class RigidStatic : public RigidActor {};

}  // namespace phys
