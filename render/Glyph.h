// One rasterised character of the screen font.
#pragma once

#include <glm/glm.hpp>

struct Glyph {
    unsigned int textureId;
    glm::ivec2 size;     // pixels
    glm::ivec2 bearing;  // pixels from the pen position to the top-left
    unsigned int advance;  // 1/64 pixel
};
