// Frame rendering: the frame shows the world and the sky, "LET'S GO" switches to play only
// from the intro, the depth-map view keeps its GL objects, and long names stay in their room.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "render/TextRenderer.h"


namespace {

double NonBlackShare(const std::vector<unsigned char>& pixels) {
    size_t lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        if (pixels[i] > 8 || pixels[i + 1] > 8 || pixels[i + 2] > 8) ++lit;
    }
    return static_cast<double>(lit) / static_cast<double>(pixels.size() / 3);
}

size_t DistinctColours(const std::vector<unsigned char>& pixels) {
    std::set<unsigned> colours;
    for (size_t i = 0; i < pixels.size(); i += 3)
        colours.insert(pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2]);
    return colours.size();
}

// The next name the GL hands out for a vertex array and for a buffer.
std::pair<GLuint, GLuint> NextGlNames() {
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(1, &vbo);
    return {vao, vbo};
}

// Where the glyphs of text drawn with its first pen position at x end on the right, by the
// pen rule of the text renderer at scale 1.
float InkEnd(const std::string& text, float x) {
    float end = x;
    for (const char ch : text) {
        const auto found = glyphTable.find(ch);
        if (found == glyphTable.end()) continue;
        const Glyph& g = found->second;
        if (g.size.x > 0) end = std::max(end, x + static_cast<float>(g.bearing.x + g.size.x));
        x += static_cast<float>(g.advance >> 6);
    }
    return end;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class RenderFrameTest : public FreshLevelTest {
protected:
    void SetUp() override {
        FreshLevelTest::SetUp();
        if (IsSkipped()) return;
        UpdateFrame();  // places the camera and the objects
    }
};

TEST_F(RenderFrameTest, FrameShowsTheSceneAndTheSky) {
    RenderFrame();
    const std::vector<unsigned char> scene = PresentedPixels();
    EXPECT_GT(NonBlackShare(scene), 0.9);
    EXPECT_GT(DistinctColours(scene), 50u);

    // Without any object the sky alone fills the window, and differs from the scene.
    std::vector<object::GameObject*> saved;
    saved.swap(renderList);
    RenderFrame();
    const std::vector<unsigned char> skyOnly = PresentedPixels();
    renderList.swap(saved);
    EXPECT_GT(NonBlackShare(skyOnly), 0.99);
    EXPECT_NE(skyOnly, scene);
}

TEST_F(RenderFrameTest, LetsGoSwitchesToPlayOnlyFromTheIntro) {
    letsGo = true;
    gameState = GameState::Intro;
    RenderFrame();
    EXPECT_EQ(gameState, GameState::Play);
    RenderFrame();
    EXPECT_EQ(gameState, GameState::Play);

    // A run that ended under "LET'S GO" stays over and shows the world with its name entry.
    gameState = GameState::GameOver;
    RenderFrame();
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_GT(NonBlackShare(PresentedPixels()), 0.9);

    // A name submitted there leads to the loading screen, not to one more "LET'S GO".
    gameState = GameState::Restart;
    RenderFrame();
    EXPECT_EQ(gameState, GameState::Restart);
    EXPECT_GT(NonBlackShare(PresentedPixels()), 0.9);
}

TEST_F(RenderFrameTest, DepthMapViewKeepsOneVertexArrayAndBuffer) {
    showShadowMapDebug = true;
    while (glGetError() != GL_NO_ERROR) {
    }
    RenderFrame();
    const auto before = NextGlNames();
    for (int frame = 0; frame < 10; ++frame) RenderFrame();
    const auto after = NextGlNames();
    EXPECT_LE(after.first, before.first + 1);
    EXPECT_LE(after.second, before.second + 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderFrameTest, LongNamesAreCutToTheirRoomAndShortOnesDrawnWhole) {
    const std::string mark = TextRenderer::CutMark;
    const std::string huge(5u << 20, 'W');
    std::string mixed;
    while (mixed.size() < 100000) mixed += "Ab\xC3\xA9z_";
    const struct {
        std::string name;
        bool cut;
    } rows[] = {{"Bob", false}, {huge, true}, {"caf\xC3\xA9", false}, {mixed, true}, {"Maximilianus_Rex", false}};
    scoreList.clear();
    for (int i = 0; i < 5; ++i) scoreList.push_back({rows[i].name, 50 - 10 * i});

    const int width = scoreTableSettings.width;
    const float nameX = static_cast<float>(width / 4);
    const float scoreX = static_cast<float>((width * 3) / 4);
    const std::vector<ScoreTable::OverlayText> texts = scoreTable->overlayTexts(width, scoreTableSettings.height);
    ASSERT_EQ(texts.size(), 10u);
    for (int i = 0; i < 5; ++i) {
        const std::string& shown = texts[2 * i].text;
        EXPECT_EQ(texts[2 * i + 1].text, std::to_string(50 - 10 * i)) << i;
        EXPECT_FLOAT_EQ(texts[2 * i].x, nameX);
        EXPECT_FLOAT_EQ(texts[2 * i + 1].x, scoreX);
        EXPECT_LT(InkEnd(shown, nameX), scoreX) << i << ": the name runs into its score";
        if (!rows[i].cut) {
            EXPECT_EQ(shown, rows[i].name) << i;
            continue;
        }
        ASSERT_TRUE(EndsWith(shown, mark)) << i;
        const size_t head = shown.size() - mark.size();
        EXPECT_GT(head, 10u) << i << ": the room before the score holds more than this";
        EXPECT_EQ(shown.substr(0, head), rows[i].name.substr(0, head)) << i;
    }

    // The typed line keeps its prompt, the end of the name and the cursor inside the window.
    const float lineX = static_cast<float>(windowSettings.width / 4);
    const std::string lines[] = {"Enter name:Zed_", "Enter name:" + std::string(100000, 'w') + "END_",
                                 "Enter name:" + mixed + "END_"};
    for (const std::string& line : lines) {
        nameEntryLine = line;
        const std::string shown = VisibleNameEntryLine();
        EXPECT_LE(InkEnd(shown, lineX), static_cast<float>(windowSettings.width)) << shown;
        if (line.size() < 100) {
            EXPECT_EQ(shown, line);
            continue;
        }
        const std::string front = NamePrompt + mark;
        ASSERT_EQ(shown.compare(0, front.size(), front), 0) << shown;
        const std::string tail = shown.substr(front.size());
        EXPECT_TRUE(EndsWith(tail, "END_")) << shown;
        EXPECT_TRUE(EndsWith(line, tail)) << shown;
        EXPECT_GT(tail.size(), 10u) << shown;
    }

    // Drawing the name screen leaves the names as they were, byte for byte.
    gameState = GameState::GameOver;
    showScores = true;
    RenderFrame();
    EXPECT_TRUE(scoreList[1].name == huge);
    EXPECT_TRUE(nameEntryLine == lines[2]);
    scoreList.clear();
    nameEntryLine = "Enter name:_";
}

}  // namespace
