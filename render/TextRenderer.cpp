#include "render/TextRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <algorithm>
#include <iostream>
#include <string>

#include <glm/gtc/type_ptr.hpp>

#include "app/Globals.h"
#include "app/WindowSettings.h"
#include "platform/RegularFile.h"
#include "render/Shader.h"

namespace {

const char* const FontPath = "./res/fonts/ARIAL.ttf";
constexpr FT_UInt GlyphPixelHeight = 48;
constexpr int GlyphCodeCount = 128;
constexpr int QuadVertexCount = 6;
constexpr int FloatsPerVertex = 4;
// Bytes without a glyph take no room, so width alone would not stop a walk through a long
// run of them; no line shows more bytes than this.
constexpr size_t MaxLineBytes = 1024;

// How many of text's first bytes fit in maxWidth; their width goes to used.
size_t HeadBytesThatFit(const std::string& text, float maxWidth, float scale, float& used) {
    const size_t limit = std::min(text.size(), MaxLineBytes);
    used = 0.0f;
    size_t n = 0;
    for (; n < limit; ++n) {
        const float w = TextRenderer::byteWidth(text[n], scale);
        if (used + w > maxWidth) break;
        used += w;
    }
    return n;
}

// Where the longest tail of text[from..] that fits in maxWidth begins.
size_t TailStartThatFits(const std::string& text, size_t from, float maxWidth, float scale) {
    const size_t lowest = std::max(from, text.size() - std::min(text.size(), MaxLineBytes));
    float used = 0.0f;
    size_t start = text.size();
    while (start > lowest) {
        const float w = TextRenderer::byteWidth(text[start - 1], scale);
        if (used + w > maxWidth) break;
        used += w;
        --start;
    }
    return start;
}

}  // namespace

const char* const TextRenderer::CutMark = "...";

TextRenderer::TextRenderer() {
    loadGlyphs();

    const WindowSettings settings = ReadWindowSettings();
    const float width = static_cast<float>(settings.width);
    const float height = static_cast<float>(settings.height);
    textProjection = glm::mat4(1.0f);
    textProjection[0][0] = 2.0f / width;
    textProjection[1][1] = 2.0f / height;
    textProjection[2][2] = -1.0f;
    textProjection[3] = glm::vec4(-1.0f, -1.0f, 0.0f, 1.0f);

    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(float) * QuadVertexCount * FloatsPerVertex, nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, FloatsPerVertex, GL_FLOAT, GL_FALSE, FloatsPerVertex * sizeof(float), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

int TextRenderer::loadGlyphs() {
    FT_Library library;
    if (FT_Init_FreeType(&library)) {
        std::cout << "ERROR::FREETYPE: Could not init FreeType Library" << std::endl;
        return -1;
    }
    // NOTE: the face reads these bytes until FT_Done_Face, so they outlive it. Read from one
    // open: FreeType never opens the path, where a FIFO would block it.
    os::RegularFile font(FontPath);
    std::string fontBytes;
    std::string reason;
    FT_Face face;
    const bool read = font.readAll(fontBytes, reason, MaxFontBytes);
    if (!read && font.readable()) std::cerr << "Font file " << FontPath << " not loaded: " << reason << std::endl;
    if (!read ||
        FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(fontBytes.data()),
                           static_cast<FT_Long>(fontBytes.size()), 0, &face)) {
        std::cout << "ERROR::FREETYPE: Failed to load font" << std::endl;
        FT_Done_FreeType(library);
        return -1;
    }
    FT_Set_Pixel_Sizes(face, 0, GlyphPixelHeight);
    // Glyph bitmaps have rows of any width.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    for (int code = 0; code < GlyphCodeCount; ++code) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER)) {
            std::cout << "ERROR::FREETYTPE: Glyph could not be loaded" << std::endl;
            continue;
        }
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, static_cast<GLsizei>(bitmap.width), static_cast<GLsizei>(bitmap.rows),
                     0, GL_RED, GL_UNSIGNED_BYTE, bitmap.buffer);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

        const Glyph glyph = {texture,
                             glm::ivec2(static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows)),
                             glm::ivec2(face->glyph->bitmap_left, face->glyph->bitmap_top),
                             static_cast<unsigned>(face->glyph->advance.x)};
        glyphTable.insert({static_cast<char>(code), glyph});
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    FT_Done_Face(face);
    return FT_Done_FreeType(library);
}

void TextRenderer::renderText(Shader* shader, std::string text, float x, float y, float scale, glm::vec3 color,
                              float gamma) {
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);

    glUseProgram(shader->program);
    glUniformMatrix4fv(glGetUniformLocation(shader->program, "projection"), 1, GL_FALSE,
                       glm::value_ptr(textProjection));
    glUniform1f(glGetUniformLocation(shader->program, "gamma"), gamma);
    glUniform3f(glGetUniformLocation(shader->program, "textColor"), color.x, color.y, color.z);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vao);

    for (const char ch : text) {
        const Glyph& glyph = glyphTable[ch];
        const float xpos = x + static_cast<float>(glyph.bearing.x) * scale;
        const float ypos = y - static_cast<float>(glyph.size.y - glyph.bearing.y) * scale;
        const float w = static_cast<float>(glyph.size.x) * scale;
        const float h = static_cast<float>(glyph.size.y) * scale;
        const float quad[QuadVertexCount][FloatsPerVertex] = {
            {xpos, ypos + h, 0.0f, 0.0f}, {xpos, ypos, 0.0f, 1.0f},     {xpos + w, ypos, 1.0f, 1.0f},
            {xpos, ypos + h, 0.0f, 0.0f}, {xpos + w, ypos, 1.0f, 1.0f}, {xpos + w, ypos + h, 1.0f, 0.0f}};

        glBindTexture(GL_TEXTURE_2D, glyph.textureId);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(quad), quad);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDrawArrays(GL_TRIANGLES, 0, QuadVertexCount);
        x += static_cast<float>(glyph.advance >> 6) * scale;
    }
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

float TextRenderer::byteWidth(char ch, float scale) {
    const auto found = glyphTable.find(ch);
    if (found == glyphTable.end()) return 0.0f;
    const Glyph& glyph = found->second;
    const int advance = static_cast<int>(glyph.advance >> 6);
    return static_cast<float>(std::max(advance, glyph.bearing.x + glyph.size.x)) * scale;
}

float TextRenderer::textWidth(const std::string& text, float scale) {
    float width = 0.0f;
    for (const char ch : text) width += byteWidth(ch, scale);
    return width;
}

std::string TextRenderer::fitHead(const std::string& text, float maxWidth, float scale) {
    float used = 0.0f;
    size_t n = HeadBytesThatFit(text, maxWidth, scale, used);
    if (n == text.size()) return text;
    const float room = maxWidth - textWidth(CutMark, scale);
    while (n > 0 && used > room) used -= byteWidth(text[--n], scale);
    return text.substr(0, n) + CutMark;
}

std::string TextRenderer::fitTail(const std::string& text, size_t keep, float maxWidth, float scale) {
    float used = 0.0f;
    if (HeadBytesThatFit(text, maxWidth, scale, used) == text.size()) return text;
    const size_t kept = std::min(keep, text.size());
    const std::string head = text.substr(0, kept) + CutMark;
    const size_t start = TailStartThatFits(text, kept, maxWidth - textWidth(head, scale), scale);
    if (start < text.size()) return head + text.substr(start);
    return text.substr(TailStartThatFits(text, 0, maxWidth, scale));
}
