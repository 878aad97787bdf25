// Frame rendering: the frame shows the world and the sky, "LET'S GO" switches to play only
// from the intro, and the depth-map view keeps its GL objects.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <set>
#include <vector>

#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/GameState.h"
#include "app/Globals.h"


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

}  // namespace
