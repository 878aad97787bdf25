// The game's real start-up and a fresh level for the app tests. InitSystems runs once per
// test binary (defined in SetupLevelTest.cpp).
#pragma once

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <vector>

#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"

bool EnsureGameSystems();  // start-up only; false without a display
bool EnsureGameWorld();    // start-up and a level built

// The frame last presented, as RGB bytes. The software GL swaps by copying, so the back
// buffer still holds the presented frame.
inline std::vector<unsigned char> PresentedPixels() {
    std::vector<unsigned char> pixels(static_cast<size_t>(windowSettings.width) * windowSettings.height * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowSettings.width, windowSettings.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Level 1 freshly built and in its intro, with the run's flags cleared before and after.
class FreshLevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameWorld()) GTEST_SKIP() << "no display";
        currentLevel = 1;
        SetupLevel(1);
        clearRunFlags();
        deltaMs = 17.0f;
    }
    void TearDown() override { clearRunFlags(); }

private:
    static void clearRunFlags() {
        gameState = GameState::Intro;
        letsGo = false;
        scorePending = false;
        showScores = false;
        showShadowMapDebug = false;
        if (contactReportCallback != nullptr) contactReportCallback->dynamicFell = false;
    }
};
