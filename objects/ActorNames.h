// Names of the physics actors that the game flow and the contact report recognise. The
// scene keeps the name pointer, so these constant texts outlive every actor.
#pragma once

#include <string_view>

namespace object {

constexpr const char* DeathZoneName = "deathZone";  // the plane under the field
constexpr const char* FreeBodyName = "dynamic";     // the body the goal tile hands over to
constexpr const char* WallName = "wall1";           // the swaying wall; standing on it kills
constexpr const char* MovingTileName = "moving111";  // every moving tile shares it
// The character rides whatever it stands on whose name holds this word anywhere.
constexpr const char* MovingTileWord = "moving";
static_assert(std::string_view(MovingTileName).find(MovingTileWord) != std::string_view::npos,
              "a moving tile must be known by its name");

}  // namespace object
