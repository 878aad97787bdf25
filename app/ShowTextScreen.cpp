// A loading or "LET'S GO" screen: one line of text on black, presented at once.
#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <glm/glm.hpp>

#include "app/GameFlow.h"
#include "app/Globals.h"
#include "render/ShaderManager.h"
#include "render/TextRenderer.h"

namespace {

const glm::vec3 ScreenTextColor(0.5f, 0.8f, 0.2f);
constexpr float ScreenTextY = 25.0f;

}  // namespace

void ShowTextScreen(std::string text) {
    // After Esc the window and its context are gone.
    if (!mainWindow) return;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    textRenderer->renderText(shaderManager->textShader, text, static_cast<float>(windowSettings.width / 3),
                             ScreenTextY, 1.0f, ScreenTextColor, windowSettings.gamma);
    SDL_GL_SwapWindow(mainWindow);
}
