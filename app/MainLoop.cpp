// The main loop: paces frames by the refresh rate and moves between the game states.
#include <string>

#include <SDL2/SDL.h>

#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "objects/Character.h"

namespace {

std::string LoadingText(int level) {
    return "LOADING LEVEL " + std::to_string(level);
}

// The level just ended adds its visited targets times its number.
void AddLevelScore() {
    totalScore += playerCharacter->visitedTargets * currentLevel;
}

}  // namespace

bool RunMainLoopPass(uint32_t tick) {
    currentTick = tick;
    // Unsigned difference: stays right when the millisecond counter wraps.
    deltaMs = static_cast<float>(static_cast<uint32_t>(currentTick - lastTick));

    switch (gameState) {
    case GameState::GameOver:
        if (scorePending) {
            AddLevelScore();
            scorePending = false;
        }
        HandleEvents();
        RenderFrame();
        lastTick = currentTick;
        currentLevel = 1;
        contactReportCallback->dynamicFell = false;
        return gameState != GameState::Quit;
    case GameState::Restart:
        ShowTextScreen(LoadingText(currentLevel));
        SetupLevel(currentLevel);
        gameState = GameState::Intro;
        return true;
    case GameState::NextLevel:
        AddLevelScore();
        currentLevel += 1;
        ShowTextScreen(LoadingText(currentLevel));
        SetupLevel(currentLevel);
        gameState = GameState::Intro;
        return true;
    default: {
        const float intervalMs = (1.0f / static_cast<float>(windowSettings.refreshRate)) * 1000.0f;
        if (deltaMs > intervalMs) {
            HandleEvents();
            // Esc has destroyed the window inside HandleEvents: nothing may draw or step now.
            if (gameState == GameState::Quit) return false;
            RenderFrame();
            UpdateFrame();
            lastTick = currentTick;
        }
        return gameState != GameState::Quit;
    }
    }
}

void RunMainLoop() {
    if (gameState == GameState::Quit) return;
    while (RunMainLoopPass(SDL_GetTicks())) {
    }
}
