// Screen text: the projection, the glyph table and where the pixels land.
#include <gtest/gtest.h>

#include "GlTestContext.h"
#include "RenderTestSupport.h"
#include "app/Globals.h"
#include "app/WindowSettings.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/TextRenderer.h"

namespace {

const glm::vec3 LoadingGreen(0.5f, 0.8f, 0.2f);

struct TextRig {
    ShaderManager* shaders;
    TextRenderer* text;
};

// One manager and renderer per process, as in the game.
TextRig& Rig() {
    static TextRig rig = [] {
        testing::internal::CaptureStdout();
        TextRig made{new ShaderManager(), new TextRenderer()};
        testing::internal::GetCapturedStdout();
        return made;
    }();
    return rig;
}

bool IsLoadingGreen(const unsigned char* p) {
    return std::abs(p[0] - 128) <= 1 && std::abs(p[1] - 204) <= 1 && std::abs(p[2] - 51) <= 1;
}

struct Box {
    int x0, y0, x1, y1;  // inclusive-exclusive, window pixels from the bottom-left
    bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

Box GlyphBox(char ch, float penX, float baseline, float scale) {
    const Glyph& g = glyphTable.at(ch);
    const float x = penX + g.bearing.x * scale;
    const float y = baseline - (g.size.y - g.bearing.y) * scale;
    return {static_cast<int>(x) - 1, static_cast<int>(y) - 1, static_cast<int>(x + g.size.x * scale) + 2,
            static_cast<int>(y + g.size.y * scale) + 2};
}

// Counts full-colour pixels inside the boxes and any lit pixel outside all of them.
void CountPixels(const rendertest::OffscreenTarget& target, const std::vector<Box>& boxes,
                 std::vector<int>& greenInside, int& litOutside) {
    const std::vector<unsigned char> image = target.pixels();
    greenInside.assign(boxes.size(), 0);
    litOutside = 0;
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) {
            const unsigned char* p = &image[(static_cast<size_t>(y) * target.width() + x) * 4];
            bool inside = false;
            for (size_t b = 0; b < boxes.size(); ++b) {
                if (!boxes[b].contains(x, y)) continue;
                inside = true;
                if (IsLoadingGreen(p)) ++greenInside[b];
            }
            if (!inside && (p[0] | p[1] | p[2])) ++litOutside;
        }
    }
}

class TextRendering : public testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGlContext()) GTEST_SKIP() << "no display";
        Rig();
    }
};

}  // namespace

TEST_F(TextRendering, ProjectionMapsTheSettingsWindowInPixels) {
    const WindowSettings settings = ReadWindowSettings();
    ASSERT_EQ(settings.width, 1280);
    ASSERT_EQ(settings.height, 768);
    const float expected[4][4] = {{2.0f / 1280.0f, 0, 0, 0}, {0, 2.0f / 768.0f, 0, 0}, {0, 0, -1, 0}, {-1, -1, 0, 1}};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) EXPECT_FLOAT_EQ(textProjection[c][r], expected[c][r]) << c << "," << r;
    }
    const glm::vec4 topRight = textProjection * glm::vec4(1280.0f, 768.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(topRight.x, 1.0f);
    EXPECT_FLOAT_EQ(topRight.y, 1.0f);
}

TEST_F(TextRendering, GlyphTableHoldsTheAsciiCodesAt48Pixels) {
    EXPECT_GE(glyphTable.size(), 128u);
    const Glyph& h = glyphTable.at('H');
    EXPECT_TRUE(glIsTexture(h.textureId));
    EXPECT_GT(h.size.y, 30);
    EXPECT_LE(h.size.y, 48);
    EXPECT_EQ(h.bearing.y, h.size.y) << "H sits on the baseline";
    const Glyph& space = glyphTable.at(' ');
    EXPECT_EQ(space.size, glm::ivec2(0, 0));
    EXPECT_GT(space.advance >> 6, 0u);
    EXPECT_GT(glyphTable.at('g').size.y, glyphTable.at('g').bearing.y) << "descender below the baseline";
}

TEST_F(TextRendering, DrawsTheColourInsideEachGlyphQuadAndNowhereElse) {
    rendertest::OffscreenTarget target(1280, 768);
    ASSERT_TRUE(target.complete());
    const float x = 1280 / 3;
    const float y = 25.0f;
    Rig().text->renderText(Rig().shaders->textShader, "Hg", x, y, 1.0f, LoadingGreen, 1.0f);

    const float secondPen = x + static_cast<float>(glyphTable.at('H').advance >> 6);
    std::vector<int> green;
    int outside = 0;
    CountPixels(target, {GlyphBox('H', x, y, 1.0f), GlyphBox('g', secondPen, y, 1.0f)}, green, outside);
    EXPECT_GT(green[0], 100) << "H in (0.5, 0.8, 0.2)";
    EXPECT_GT(green[1], 50) << "g after H's advance";
    EXPECT_EQ(outside, 0);

    GLint value = 0;
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &value);
    EXPECT_EQ(value, GL_ZERO);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(static_cast<GLuint>(value), Rig().shaders->textShader->program);
}

TEST_F(TextRendering, BytesWithoutGlyphDrawNothingAndDoNotAdvance) {
    rendertest::OffscreenTarget target(1280, 768);
    const char high = static_cast<char>(0x80);
    ASSERT_EQ(glyphTable.count(high), 0u);
    Rig().text->renderText(Rig().shaders->textShader, std::string(1, high) + "H", 200.0f, 200.0f, 1.0f,
                           LoadingGreen, 1.0f);
    ASSERT_EQ(glyphTable.count(high), 1u);
    EXPECT_EQ(glyphTable.at(high).textureId, 0u);
    std::vector<int> green;
    int outside = 0;
    CountPixels(target, {GlyphBox('H', 200.0f, 200.0f, 1.0f)}, green, outside);
    EXPECT_GT(green[0], 100);
    EXPECT_EQ(outside, 0);
}
