// Colour states of a hex tile, sent to the lit shader as "hexColor".
#pragma once

#include <cstdint>

namespace HexColor {
enum : int32_t {
    None = 0,     // plain tile
    Target = 1,   // target not yet stepped on
    Visited = 2,  // target stepped on; also the start tile
    Wrong = 3,    // a tile that is no target, stepped on
    Goal = 6,     // the goal tile of levels 1 and 3
};
}
