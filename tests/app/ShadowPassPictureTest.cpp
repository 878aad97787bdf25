// The depth pass clears and draws only the part of the map that objects cover: the map
// and the lit frame must still be exactly what a full clear and redraw of the whole map
// gives, also after objects move away from where they were and after they are gone.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/Globals.h"
#include "objects/Barrel.h"
#include "objects/GameObject.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"

namespace {

constexpr int MapSize = service::ShadowMap::Size;

std::vector<float> MapDepths() {
    std::vector<float> depths(static_cast<size_t>(MapSize) * MapSize);
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, currentShadowMap->depthMapFBO);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, MapSize, MapSize, GL_DEPTH_COMPONENT, GL_FLOAT, depths.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return depths;
}

// The map as the plain way makes it: clear all of it, draw every object of the list.
std::vector<float> FullRedraw(const std::vector<object::GameObject*>& objects) {
    const GLuint program = shaderManager->shadowMapShader->program;
    glBindFramebuffer(GL_FRAMEBUFFER, currentShadowMap->depthMapFBO);
    glViewport(0, 0, MapSize, MapSize);
    glDisable(GL_SCISSOR_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    for (object::GameObject* object : objects) {
        const glm::mat4 depthMVP = (lightProjection * lightView) * object->modelMatrix;
        glUniformMatrix4fv(glGetUniformLocation(program, "depthMVP"), 1, GL_FALSE, glm::value_ptr(depthMVP));
        glBindVertexArray(object->mesh.vao);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(object->mesh.indices.size()), GL_UNSIGNED_INT, nullptr);
    }
    glBindVertexArray(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return MapDepths();
}

size_t Differences(const std::vector<float>& a, const std::vector<float>& b) {
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i) count += std::memcmp(&a[i], &b[i], sizeof(float)) != 0 ? 1 : 0;
    return count;
}

size_t Drawn(const std::vector<float>& depths) {
    return static_cast<size_t>(std::count_if(depths.begin(), depths.end(), [](float d) { return d < 1.0f; }));
}

class ShadowPassPictureTest : public FreshLevelTest {
protected:
    void SetUp() override {
        FreshLevelTest::SetUp();
        if (IsSkipped()) return;
        UpdateFrame();  // places the camera and the objects
    }

    // One frame the game's way; its map must equal a full redraw of the same objects.
    // Returns the map.
    std::vector<float> frameMatchesFullRedraw(const char* step) {
        RenderFrame();
        const std::vector<float> drawn = MapDepths();
        const std::vector<float> full = FullRedraw(renderList);
        EXPECT_EQ(Differences(drawn, full), 0u) << step;
        return drawn;
    }
};

TEST_F(ShadowPassPictureTest, MapEqualsAFullRedrawWhileObjectsMoveAndGo) {
    ASSERT_NE(barrels[0], nullptr);
    const std::vector<float> first = frameMatchesFullRedraw("first frame");
    // Not trivially equal: the objects left their depth on part of the map only.
    EXPECT_GT(Drawn(first), 1000u);
    EXPECT_LT(Drawn(first), first.size() / 2);
    frameMatchesFullRedraw("second frame");

    // A barrel far off to one side: the covered part grows, then shrinks back and the
    // barrel's old texels must be cleared again.
    const glm::mat4 placed = barrels[0]->modelMatrix;
    barrels[0]->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(60.0f, 0.0f, 90.0f)) * placed;
    const std::vector<float> away = frameMatchesFullRedraw("barrel moved away");
    EXPECT_GT(Differences(away, first), 0u) << "the moved barrel shows on the map";
    barrels[0]->modelMatrix = placed;
    const std::vector<float> back = frameMatchesFullRedraw("barrel back");
    EXPECT_EQ(Differences(back, first), 0u);

    // Only one object left, then none: everything else must be cleared.
    std::vector<object::GameObject*> saved = renderList;
    renderList.assign(1, barrels[0]);
    const std::vector<float> one = frameMatchesFullRedraw("one barrel");
    EXPECT_LT(Drawn(one), Drawn(first));
    renderList.clear();
    const std::vector<float> none = frameMatchesFullRedraw("no objects");
    EXPECT_EQ(Drawn(none), 0u);
    renderList = saved;
    frameMatchesFullRedraw("all objects again");
}

TEST_F(ShadowPassPictureTest, LitFrameIsTheSameAsWithAWholeClearedMap) {
    introCamera = false;
    UpdateFrame();
    RenderFrame();
    RenderFrame();
    const std::vector<unsigned char> partial = PresentedPixels();
    // Makes the next pass clear the whole map, as a new map's first pass does.
    currentShadowMap->lastCover = {0, 0, MapSize, MapSize};
    RenderFrame();
    const std::vector<unsigned char> whole = PresentedPixels();
    EXPECT_TRUE(partial == whole);
}

}  // namespace
