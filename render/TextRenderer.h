// Screen text: rasterises the font's codes 0 to 127 at 48 px into glyphTable and draws
// one textured quad per byte. Owns the quad's vertex array and buffer.
// NOTE: renderText turns blending on and leaves it on for every later draw.
// The fitting helpers measure with glyphTable alone and walk only the bytes that can show,
// so a name of megabytes costs no more than one that fills the line.
#pragma once

#include <GL/glew.h>
#include <cstdint>
#include <string>

#include <glm/glm.hpp>

class Shader;

class TextRenderer {
public:
    GLuint vao = 0;
    GLuint vbo = 0;  // one quad: six vertices of (x, y, u, v)

    // Stands where the fitting helpers cut a text.
    static const char* const CutMark;
    // Far above any font file; a larger one fails like a missing font.
    static constexpr int64_t MaxFontBytes = 64 * 1024 * 1024;

    // Loads the glyphs, sets textProjection from the settings file, makes the quad buffer.
    TextRenderer();
    // -1 when FreeType or the font cannot be opened; otherwise FreeType's release status.
    int loadGlyphs();
    // (x, y) is the first pen position in window pixels, y the baseline.
    void renderText(Shader* shader, std::string text, float x, float y, float scale, glm::vec3 color,
                    float gamma);

    // Pixels one byte takes on the line: its pen advance, or as far as its bitmap reaches
    // when that is further. A byte without a glyph takes none.
    static float byteWidth(char ch, float scale);
    // The sum of the bytes' widths; for short texts such as a prompt or a mark.
    static float textWidth(const std::string& text, float scale);
    // text when it fits in maxWidth pixels, else its longest head that fits with CutMark after it.
    static std::string fitHead(const std::string& text, float maxWidth, float scale);
    // text when it fits in maxWidth pixels, else its first `keep` bytes, CutMark and the longest
    // tail of the rest that fits, so that the end stays in view. When the window is too narrow
    // for the first bytes and the mark, only the tail shows.
    static std::string fitTail(const std::string& text, size_t keep, float maxWidth, float scale);
};
