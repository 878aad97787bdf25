// Frame update: the two cameras, mouse handling, the intro window and the end tests.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "objects/Character.h"
#include "objects/Hex.h"
#include "objects/HexColor.h"


namespace {

void ExpectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

glm::vec3 InView(const glm::vec3& point) {
    return glm::vec3(viewMatrix * glm::vec4(point, 1.0f));
}

// A fresh camera state: no mouse motion ever seen.
void ResetMouse() {
    mouseX = mouseY = 0;
    previousMouseX = previousMouseY = 0;
    yawAccumulator = pitchAccumulator = 0;
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override { ResetMouse(); }
    void TearDown() override {
        ResetMouse();
        introCamera = true;
    }
    const glm::vec3 p{3.0f, 1.5f, -20.0f};
};

TEST_F(CameraTest, IntroCameraLooksFromHighAboveAtTheFieldAhead) {
    introCamera = true;
    UpdateCamera(p, 0.017f);
    ExpectNear(cameraPosition, p + glm::vec3(0.0f, 150.0f, -30.0f));
    ExpectNear(InView(cameraPosition), glm::vec3(0.0f), 1e-3f);
    // The point 50 ahead lies straight in front of the camera, with +y up on screen.
    const glm::vec3 target = InView(p + glm::vec3(0.0f, 0.0f, 50.0f));
    EXPECT_NEAR(target.x, 0.0f, 1e-3f);
    EXPECT_NEAR(target.y, 0.0f, 1e-3f);
    EXPECT_LT(target.z, 0.0f);
    EXPECT_GT(InView(cameraPosition + glm::vec3(0.0f, 0.0f, 10.0f)).y, 0.0f);
}

TEST_F(CameraTest, FollowCameraWithoutMouseMotionStandsBehindAndAbove) {
    introCamera = false;
    UpdateCamera(p, 0.017f);
    ExpectNear(cameraPosition, p + glm::vec3(0.0f, 10.0f, -10.0f));
    const glm::vec3 character = InView(p);
    EXPECT_NEAR(character.x, 0.0f, 1e-3f);
    EXPECT_NEAR(character.y, 0.0f, 1e-3f);
    EXPECT_NEAR(character.z, -std::sqrt(200.0f), 1e-3f);
}

TEST_F(CameraTest, FirstFrameIgnoresMotionFromZero) {
    introCamera = false;
    mouseX = 640;
    mouseY = 300;
    UpdateCamera(p, 0.017f);
    EXPECT_EQ(yawAccumulator, 0);
    EXPECT_EQ(pitchAccumulator, 0);
    ExpectNear(cameraPosition, p + glm::vec3(0.0f, 10.0f, -10.0f));

    mouseX = 650;
    mouseY = 290;
    UpdateCamera(p, 0.017f);
    EXPECT_EQ(yawAccumulator, 10);
    EXPECT_EQ(pitchAccumulator, -10);
}

TEST_F(CameraTest, YawSwingsTheCameraAroundAtDistanceTen) {
    introCamera = false;
    // yaw = accumulated x * (dt * 20) * 0.05 = 100 * 1 * 0.05 = 5 rad
    yawAccumulator = 100;
    previousMouseX = mouseX = 400;
    UpdateCamera(p, 0.05f);
    const float yaw = 100.0f * (0.05f * 20.0f) * 0.05f;
    ExpectNear(cameraPosition, p + glm::vec3(10.0f * std::sin(yaw), 10.0f, -10.0f * std::cos(yaw)));
}

TEST_F(CameraTest, PitchIsHeldBetweenZeroAndPi) {
    introCamera = false;
    previousMouseY = mouseY = 300;
    pitchAccumulator = 100000;
    UpdateCamera(p, 0.017f);
    EXPECT_EQ(cameraPitch, 3.1415927f);
    EXPECT_NEAR(cameraPosition.y, p.y - 10.0f, 1e-4f);
    EXPECT_EQ(pitchAccumulator, 100000);  // only the angle is clamped

    pitchAccumulator = -100000;
    UpdateCamera(p, 0.017f);
    EXPECT_EQ(cameraPitch, 0.0f);
    EXPECT_NEAR(cameraPosition.y, p.y + 10.0f, 1e-4f);
}

using UpdateFrameTest = FreshLevelTest;

// A long drag, then the mouse rests while the frame time wobbles between 16 and 18 ms: the
// camera must not move, and it stands where the old per-frame scaling put it at the paced
// frame time, so the mouse feels the same at a steady frame rate.
TEST_F(UpdateFrameTest, CameraFollowsTheMouseAloneWhateverTheFrameTime) {
    ResetMouse();
    introCamera = false;
    yawAccumulator = 1100;
    pitchAccumulator = 37;
    previousMouseX = mouseX = 700;
    previousMouseY = mouseY = 420;

    const float paced = 1.0f / static_cast<float>(windowSettings.refreshRate);
    const float yaw = (1100.0f * (paced * 20.0f)) * 0.05f;
    const float pitch = (37.0f * (paced * 20.0f)) * 0.05f;
    const glm::vec3 expected(std::sin(yaw) * 10.0f, std::cos(pitch) * 10.0f, std::cos(yaw) * -10.0f);

    for (int frame = 0; frame < 8; ++frame) {
        deltaMs = frame % 2 == 0 ? 16.0f : 18.0f;
        UpdateFrame();
        SCOPED_TRACE(frame);
        EXPECT_EQ(yawAccumulator, 1100);
        EXPECT_FLOAT_EQ(cameraPitch, pitch);
        ExpectNear(glm::vec3(cameraOffsetX, cameraOffsetY, cameraOffsetZ), expected, 1e-5f);
    }
    ResetMouse();
    introCamera = true;
}

TEST_F(UpdateFrameTest, AdvancesTheLevelClockAndStepsThePhysics) {
    const float startY = 10.0f;
    for (int frame = 0; frame < 10; ++frame) UpdateFrame();
    EXPECT_NEAR(levelClock, 0.17f, 1e-5f);
    // The character starts in the air above the start tile and falls during the intro.
    EXPECT_LT(playerCharacter->getPosition().y, startY);
    EXPECT_EQ(gameState, GameState::Intro);
    EXPECT_FALSE(letsGo);
}

TEST_F(UpdateFrameTest, IntroWindowEndsTheIntroAndShowsEveryTilePlain) {
    levelClock = 9.5f;
    deltaMs = 500.0f;
    UpdateFrame();  // exactly 10.0 s is not yet past the intro
    EXPECT_FALSE(letsGo);
    EXPECT_TRUE(introCamera);

    deltaMs = 1.0f;
    UpdateFrame();  // 10.001 s
    EXPECT_TRUE(letsGo);
    EXPECT_FALSE(introCamera);
    for (object::Hex* tile : hexList) {
        if (tile == hexPrototype) continue;
        EXPECT_EQ(tile->hexColor, HexColor::None) << tile->name;
    }
    EXPECT_EQ(hexPrototype->hexColor, HexColor::Visited);
    EXPECT_TRUE(hexPrototype->visited);

    levelClock = 12.0f;
    deltaMs = 0.0f;
    UpdateFrame();  // exactly 12 s keeps the flag
    EXPECT_TRUE(letsGo);

    deltaMs = 1.0f;
    UpdateFrame();
    EXPECT_FALSE(letsGo);
}

TEST_F(UpdateFrameTest, DeathEndsTheRunOnce) {
    playerCharacter->dead = true;
    UpdateFrame();
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_TRUE(scorePending);
    EXPECT_FALSE(playerCharacter->dead);
}

TEST_F(UpdateFrameTest, FallOfTheFreeBodyEndsTheRun) {
    gameState = GameState::Play;
    contactReportCallback->dynamicFell = true;
    UpdateFrame();
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_TRUE(contactReportCallback->dynamicFell);  // cleared by the game-over pass only
}

TEST_F(UpdateFrameTest, LevelCompletedInTheSameFrameAsDeathWins) {
    playerCharacter->dead = true;
    playerCharacter->allTargetsVisited = true;
    UpdateFrame();
    EXPECT_EQ(gameState, GameState::NextLevel);
    EXPECT_TRUE(scorePending);
    EXPECT_FALSE(playerCharacter->allTargetsVisited);
}

}  // namespace
