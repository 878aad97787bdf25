// Value types, flags and enums shared by the whole physics layer. Plain data only;
// nothing here depends on the engine underneath.
#pragma once

#include <cstdint>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace phys {

class Actor;
class Shape;

// Rigid transform: position and unit rotation. glm::quat is constructed (w, x, y, z).
struct Pose {
    glm::vec3 p{0.0f};
    glm::quat q{1.0f, 0.0f, 0.0f, 0.0f};
    Pose() = default;
    Pose(const glm::vec3& position, const glm::quat& rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f))
        : p(position), q(rotation) {}
    bool isValid() const;  // finite position, finite unit-length rotation
};

// 4 x 4 matrix of a pose: four columns of four floats, column-major like glm.
struct Matrix44 {
    float column[4][4];
    explicit Matrix44(const Pose& pose);
};

// Engine message codes, numbered like the bit values the game prints.
enum class ErrorCode : int {
    NoError = 0,
    DebugInfo = 1,
    DebugWarning = 2,
    InvalidParameter = 4,
    InvalidOperation = 8,
    OutOfMemory = 16,
    InternalError = 32,
    Abort = 64,
    PerfWarning = 128,
};

// Pair flags asked for by the filter and reported in contact events.
namespace PairFlag {
enum : uint32_t {
    SolveContact = 1 << 0,
    ModifyContacts = 1 << 1,
    NotifyTouchFound = 1 << 2,
    NotifyTouchPersists = 1 << 3,
    NotifyTouchLost = 1 << 4,
    NotifyTouchCcd = 1 << 5,
    NotifyThresholdForceFound = 1 << 6,
    NotifyThresholdForcePersists = 1 << 7,
    NotifyThresholdForceLost = 1 << 8,
    NotifyContactPoints = 1 << 9,
    DetectDiscreteContact = 1 << 10,
    DetectCcdContact = 1 << 11,
};
}
using PairFlags = uint32_t;

namespace FilterFlag {
enum : uint16_t { Default = 0, Kill = 1 << 0, Suppress = 1 << 1, Callback = 1 << 2 };
}
using FilterFlags = uint16_t;

// Per-shape filter word data and the kind of object a shape belongs to.
struct FilterData {
    uint32_t word0 = 0, word1 = 0, word2 = 0, word3 = 0;
};
namespace FilterObjectType {
enum : uint32_t { RigidStatic = 0, RigidDynamic = 1, Kinematic = 1 << 4 };
}
using FilterObjectAttributes = uint32_t;

// Asked once for every new pair of shapes; fills pairFlags and returns the filter flags.
using FilterShader = FilterFlags (*)(FilterObjectAttributes attributes0, FilterData filterData0,
                                     FilterObjectAttributes attributes1, FilterData filterData1,
                                     PairFlags& pairFlags, const void* constantBlock,
                                     uint32_t constantBlockSize);

namespace ActorFlag {
enum : uint8_t { Visualization = 1 << 0, DisableGravity = 1 << 1, SendSleepNotifies = 1 << 2, DisableSimulation = 1 << 3 };
}
using ActorFlags = uint8_t;

namespace ShapeFlag {
enum : uint8_t { SimulationShape = 1 << 0, SceneQueryShape = 1 << 1, TriggerShape = 1 << 2, Visualization = 1 << 3 };
}
using ShapeFlags = uint8_t;

enum class ForceMode { Force, Impulse, VelocityChange, Acceleration };

// Collision flags returned by a controller move.
namespace ControllerCollisionFlag {
enum : uint8_t { Sides = 1 << 0, Up = 1 << 1, Down = 1 << 2 };
}
using ControllerCollisionFlags = uint8_t;

namespace QueryFlag {
enum : uint16_t { Static = 1 << 0, Dynamic = 1 << 1, Prefilter = 1 << 2, Postfilter = 1 << 3 };
}
using QueryFlags = uint16_t;

enum class NonWalkableMode { PreventClimbing, PreventClimbingAndForceSliding };

struct ToleranceScale {
    float length = 1.0f;
    float speed = 10.0f;
};

// One shape pair of a contact report and the events it had in this step.
struct ContactPair {
    Shape* shapes[2] = {nullptr, nullptr};
    PairFlags events = 0;
    uint32_t contactCount = 0;
};

// The two actors of a contact report.
struct ContactPairHeader {
    Actor* actors[2] = {nullptr, nullptr};
};

struct ConstraintInfo {};
struct TriggerPair {};

}  // namespace phys
