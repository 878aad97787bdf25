// One frame of the game: level clock, fixed physics step, camera, object updates, the
// end of the run or of the level, and the intro timer.
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "objects/Character.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"
#include "physics/Scene.h"

namespace {

constexpr float MouseScale = 20.0f;
constexpr float CameraDistance = 10.0f;
constexpr float MaxCameraPitch = 3.1415927f;
const glm::vec3 IntroCameraOffset(0.0f, 150.0f, -30.0f);
const glm::vec3 IntroLookAhead(0.0f, 0.0f, 50.0f);
constexpr float IntroEndsAt = 10.0f;   // seconds of level time
constexpr float LetsGoEndsAt = 12.0f;

// A previous coordinate of 0 counts as no previous position: no jump on the first frame.
int32_t MouseDelta(int32_t current, int32_t previous) {
    return previous == 0 ? 0 : current - previous;
}

void RunIntroTimer() {
    if (levelClock > IntroEndsAt && levelClock < LetsGoEndsAt) {
        introCamera = false;
        for (object::Hex* tile : hexList) tile->hexColor = HexColor::None;
        hexPrototype->hexColor = HexColor::Visited;
        hexPrototype->visited = true;
        letsGo = true;
    } else if (levelClock > LetsGoEndsAt) {
        letsGo = false;
    }
}

}  // namespace

void UpdateCamera(const glm::vec3& p, float frameSeconds) {
    yawAccumulator += MouseDelta(mouseX, previousMouseX);
    pitchAccumulator += MouseDelta(mouseY, previousMouseY);

    // Both angles are absolute: the whole accumulated motion times a fixed scale. The scale
    // takes the paced frame time, never the measured one, or the view would jump between
    // frames of 17 and 18 ms with the mouse still.
    const float s = frameSeconds * MouseScale;
    const float yaw = (static_cast<float>(yawAccumulator) * s) * mouseSensitivity;
    cameraPitch = (static_cast<float>(pitchAccumulator) * s) * mouseSensitivity;
    if (cameraPitch < 0.0f) cameraPitch = 0.0f;
    if (cameraPitch > MaxCameraPitch) cameraPitch = MaxCameraPitch;

    cameraOffsetX = std::sin(yaw) * CameraDistance;
    cameraOffsetZ = std::cos(yaw) * -CameraDistance;
    cameraOffsetY = std::cos(cameraPitch) * CameraDistance;
    previousMouseX = mouseX;
    previousMouseY = mouseY;

    if (introCamera) {
        cameraPosition = p + IntroCameraOffset;
        viewMatrix = glm::lookAt(cameraPosition, p + IntroLookAhead, cameraUp);
    } else {
        cameraPosition = p + glm::vec3(cameraOffsetX, cameraOffsetY, cameraOffsetZ);
        viewMatrix = glm::lookAt(cameraPosition, p, cameraUp);
    }
}

void UpdateFrame() {
    // Nothing is stepped once the game is quitting (the window may already be gone).
    if (gameState == GameState::Quit) return;

    const float dt = deltaMs / 1000.0f;
    levelClock += dt;

    const float pacedSeconds = 1.0f / static_cast<float>(windowSettings.refreshRate);
    scene->simulate(pacedSeconds);
    scene->fetchResults(true);

    UpdateCamera(playerCharacter->getPosition(), pacedSeconds);

    playerCharacter->setView(viewMatrix);
    playerCharacter->update(deltaMs, hexList);
    hexPrototype->update(deltaMs);
    for (object::GameObject* object : renderList) {
        object->update(deltaMs);
        object->setView(viewMatrix);
    }

    if (playerCharacter->dead || contactReportCallback->dynamicFell) {
        gameState = GameState::GameOver;
        scorePending = true;
        playerCharacter->dead = false;
    }
    // Tested after the end of the run: a level completed in the same frame wins.
    if (playerCharacter->allTargetsVisited) {
        gameState = GameState::NextLevel;
        playerCharacter->allTargetsVisited = false;
    }

    RunIntroTimer();
}
