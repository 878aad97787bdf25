// Draws one frame of the world: depth pass, optional depth-map view, lit scene, sky box,
// score overlay and name entry, then presents it.
// NOTE: the depth test stays on for the whole run; only the sky-box pass changes its function.
#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <glm/gtc/type_ptr.hpp>

#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "objects/GameObject.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/ShadowMap.h"
#include "render/SkyBox.h"
#include "render/TextRenderer.h"

namespace {

constexpr GLsizei DepthMapViewSize = 300;
constexpr GLsizei SkyBoxVertexCount = 36;
const glm::vec3 NameEntryColor(0.0f, 1.0f, 0.0f);
constexpr float NameEntryScale = 1.0f;

float NameEntryX() {
    return static_cast<float>(windowSettings.width / 4);
}

void SetUniform3(GLuint program, const char* name, const glm::vec3& v) {
    glUniform3f(glGetUniformLocation(program, name), v.x, v.y, v.z);
}

// The full-viewport quad of the depth-map view, made the first time the view is shown
// and kept for the whole run.
GLuint DepthMapQuad() {
    static GLuint vao = 0;
    static GLuint vbo = 0;
    if (vao != 0) return vao;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(shadowMapQuadVertices), shadowMapQuadVertices, GL_STATIC_DRAW);
    constexpr GLsizei stride = 5 * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(3 * sizeof(float)));
    glBindVertexArray(0);
    return vao;
}

void DrawDepthMapView() {
    glViewport(0, 0, DepthMapViewSize, DepthMapViewSize);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, currentShadowMap->depthMap);
    glUseProgram(shaderManager->shadowMapsQuadShader->program);
    glBindVertexArray(DepthMapQuad());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
}

void DrawLitScene() {
    glViewport(0, 0, windowSettings.width, windowSettings.height);
    glActiveTexture(GL_TEXTURE0 + Mesh::ShadowMapUnit);
    glBindTexture(GL_TEXTURE_2D, currentShadowMap->getDepthMap());

    const GLuint program = shaderManager->complexShader->program;
    glUseProgram(program);
    SetUniform3(program, "sun.direction", levelSun->direction);
    SetUniform3(program, "viewPosition", cameraPosition);
    SetUniform3(program, "sun.ambient", levelSun->ambient);
    SetUniform3(program, "sun.diffuse", levelSun->diffuse);
    SetUniform3(program, "sun.specular", levelSun->specular);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "skyBox"), static_cast<GLint>(Mesh::SkyBoxUnit));
    glActiveTexture(GL_TEXTURE0 + Mesh::SkyBoxUnit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, currentSkyBox->cubemapTexture);

    for (object::GameObject* object : renderList) object->draw(windowSettings.gamma);
}

void DrawSkyBox() {
    glDepthFunc(GL_LEQUAL);
    const GLuint program = currentSkyBox->shader->program;
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "gamma"), windowSettings.gamma);
    // The sky stays around the camera: the view without its translation.
    const glm::mat4 rotationOnly = glm::mat4(glm::mat3(viewMatrix));
    const glm::mat4 projectionView = cameraProjection * rotationOnly;
    glUniformMatrix4fv(glGetUniformLocation(program, "projectionMatrix"), 1, GL_FALSE, glm::value_ptr(projectionView));
    glBindVertexArray(currentSkyBox->vao);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, currentSkyBox->cubemapTexture);
    glDrawArrays(GL_TRIANGLES, 0, SkyBoxVertexCount);
    glBindVertexArray(0);
    glDepthFunc(GL_LESS);
}

}  // namespace

std::string VisibleNameEntryLine() {
    const float room = static_cast<float>(windowSettings.width) - NameEntryX();
    return TextRenderer::fitTail(nameEntryLine, NamePrompt.size(), room, NameEntryScale);
}

void RenderFrame() {
    // After Esc the window and its context are gone: nothing may be drawn or presented.
    if (mainWindow == nullptr || gameState == GameState::Quit) return;

    // A run that ended under "LET'S GO" keeps its game-over screen and name entry, and a
    // name submitted there goes straight to the loading screen.
    if (letsGo && (gameState == GameState::Intro || gameState == GameState::Play)) {
        ShowTextScreen("LET'S GO");
        if (gameState == GameState::Intro) gameState = GameState::Play;
        return;
    }

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    currentShadowMap->render(renderList, shaderManager->shadowMapShader);
    if (showShadowMapDebug) DrawDepthMapView();
    DrawLitScene();
    DrawSkyBox();

    if (showScores) scoreTable->draw(shaderManager->textShader, windowSettings.gamma);
    if (gameState == GameState::GameOver) {
        textRenderer->renderText(shaderManager->textShader, VisibleNameEntryLine(), NameEntryX(),
                                 static_cast<float>(windowSettings.height / 4), NameEntryScale, NameEntryColor,
                                 windowSettings.gamma);
    }

    SDL_GL_SwapWindow(mainWindow);
}
