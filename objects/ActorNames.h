// Names of the physics actors that the game flow and the contact report recognise. The
// scene keeps the name pointer, so these constant texts outlive every actor.
#pragma once

namespace object {

constexpr const char* DeathZoneName = "deathZone";  // the plane under the field
constexpr const char* FreeBodyName = "dynamic";     // the body the goal tile hands over to

}  // namespace object
