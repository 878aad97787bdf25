// The level's field loader: reads "./res/Levels/Level<n>.txt" and lays out its fields of
// hex tiles (clones of the start tile) in the scene, renderList and hexList. Never drawn.
// NOTE: the tiles it makes belong to the lists, not to the Matchfield; it deletes only
// the tiles of a load that fails.
#pragma once

#include <cstdint>
#include <string>

#include <glm/glm.hpp>

#include "objects/GameObject.h"

namespace phys {
class Scene;
class Cooking;
}  // namespace phys

namespace object {

class Hex;

class Matchfield : public GameObject {
public:
    // Level files are a few lines; a larger file is not read into memory at all.
    static constexpr int64_t MaxFileBytes = 1024 * 1024;

    float rightEdgeX;     // x of the last tile of an even row
    int32_t targetCount;  // level-file lines minus 4

    // Reads the level file and makes all tiles. Throws std::out_of_range for every
    // failed load, after taking the tiles it made out of the scene and lists again.
    // A level asking for more than 1000 tiles is refused before any tile is made.
    Matchfield(int level, float hexWidth, float hexDepth);
    // Lays out field number `field`, adding each tile to scene, renderList and hexList.
    Matchfield(int field, int columns, int rows, int rowOffset, float hexWidth, float hexDepth, Hex* prototype,
               phys::Scene* scene, phys::Physics* physics, phys::Cooking* cooking);
    ~Matchfield() override;

    // "./res/Levels/Level<level>.txt", relative to the working directory.
    static std::string levelFilePath(int level);
};

}  // namespace object

// Loader working state: the position of the tile being made and the tile made last.
extern glm::vec3 hexPlacement;
extern object::Hex* lastClonedHex;

// One new tile at position as a copy of prototype: the prototype's mesh and triangle mesh
// borrowed, its own actor, material and burst. Not yet in the scene or any list.
object::Hex* CloneHex(object::Hex* prototype, const glm::vec3& position, std::string name, phys::Physics* physics,
                      phys::Cooking* cooking);
