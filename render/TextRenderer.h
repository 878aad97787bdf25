// Screen text: rasterises the font's codes 0 to 127 at 48 px into glyphTable and draws
// one textured quad per byte. Owns the quad's vertex array and buffer.
// NOTE: renderText turns blending on and leaves it on for every later draw.
#pragma once

#include <GL/glew.h>
#include <string>

#include <glm/glm.hpp>

class Shader;

class TextRenderer {
public:
    GLuint vao = 0;
    GLuint vbo = 0;  // one quad: six vertices of (x, y, u, v)

    // Loads the glyphs, sets textProjection from the settings file, makes the quad buffer.
    TextRenderer();
    // -1 when FreeType or the font cannot be opened; otherwise FreeType's release status.
    int loadGlyphs();
    // (x, y) is the first pen position in window pixels, y the baseline.
    void renderText(Shader* shader, std::string text, float x, float y, float scale, glm::vec3 color,
                    float gamma);
};
