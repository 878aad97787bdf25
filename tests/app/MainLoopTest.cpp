// Main loop: frame pacing, the state transitions it makes, scoring, and the end after Esc.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <SDL2/SDL.h>

#include "app/ContactReportCallback.h"
#include "app/GameFlow.h"
#include "app/GameWorld.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "objects/Character.h"


namespace {

void PushKey(Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

void PushText(const char* text) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::snprintf(event.text.text, sizeof(event.text.text), "%s", text);
    SDL_PushEvent(&event);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EnsureGameWorld()) GTEST_SKIP() << "no display";
        currentLevel = 1;
        SetupLevel(1);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        letsGo = false;
        showScores = false;
        scorePending = false;
        windowSettings.refreshRate = 60;
    }
    void TearDown() override {
        windowSettings.refreshRate = 60;
        if (gameState != GameState::Intro && gameState != GameState::Play) gameState = GameState::Intro;
    }
};

TEST_F(MainLoopTest, FramesRunOnlyOnceMoreThanTheIntervalHasPassed) {
    const struct {
        int refreshRate;
        uint32_t tooEarly, due;
    } cases[] = {{60, 16, 17}, {30, 33, 34}, {144, 6, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refreshRate);
        windowSettings.refreshRate = c.refreshRate;
        gameState = GameState::Play;
        levelClock = 1.0f;
        lastTick = 100000;

        EXPECT_TRUE(RunMainLoopPass(lastTick + c.tooEarly));
        EXPECT_EQ(deltaMs, static_cast<float>(c.tooEarly));
        EXPECT_EQ(lastTick, 100000u);
        EXPECT_EQ(levelClock, 1.0f);

        EXPECT_TRUE(RunMainLoopPass(100000 + c.due));
        EXPECT_EQ(lastTick, 100000u + c.due);
        EXPECT_NEAR(levelClock, 1.0f + c.due / 1000.0f, 1e-6f);
    }
}

TEST_F(MainLoopTest, TickWrapGivesTheTrueFrameTime) {
    gameState = GameState::Play;
    levelClock = 1.0f;
    lastTick = 0xFFFFFFF0u;
    EXPECT_TRUE(RunMainLoopPass(0x10u));
    EXPECT_EQ(deltaMs, 32.0f);
    EXPECT_EQ(lastTick, 0x10u);
}

TEST_F(MainLoopTest, RestartBuildsLevelOneAndEntersTheIntro) {
    gameState = GameState::Restart;
    currentLevel = 1;
    levelClock = 7.0f;
    EXPECT_TRUE(RunMainLoopPass(SDL_GetTicks()));
    EXPECT_EQ(gameState, GameState::Intro);
    EXPECT_EQ(levelClock, 0.0f);
    EXPECT_EQ(currentLevel, 1);
}

TEST_F(MainLoopTest, ScoresEachLevelOnceAcrossNextLevelAndGameOver) {
    totalScore = 0;
    playerCharacter->visitedTargets = 4;
    gameState = GameState::NextLevel;
    EXPECT_TRUE(RunMainLoopPass(SDL_GetTicks()));
    EXPECT_EQ(totalScore, 4);
    EXPECT_EQ(gameState, GameState::Intro);
    EXPECT_EQ(playerCharacter->visitedTargets, 0);  // a new level's character

    const int levelAfterOne = currentLevel;
    EXPECT_EQ(levelAfterOne, 2);
    playerCharacter->visitedTargets = 3;
    gameState = GameState::GameOver;
    scorePending = true;
    contactReportCallback->dynamicFell = true;
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_TRUE(RunMainLoopPass(SDL_GetTicks()));
        EXPECT_EQ(totalScore, 1 * 4 + 2 * 3);
        EXPECT_FALSE(scorePending);
        EXPECT_EQ(currentLevel, 1);
        EXPECT_FALSE(contactReportCallback->dynamicFell);
        EXPECT_EQ(gameState, GameState::GameOver);
    }
    totalScore = 0;
}

TEST_F(MainLoopTest, SubmittedNameRestartsAtLevelOne) {
    const std::string scoreFile = "./res/Scores/scores.txt";
    const std::string saved = ReadFile(scoreFile);
    gameState = GameState::GameOver;
    totalScore = 17;
    PushText("tester");
    PushKey(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_TRUE(RunMainLoopPass(SDL_GetTicks()));
    EXPECT_EQ(gameState, GameState::Restart);
    EXPECT_EQ(totalScore, 0);
    std::ofstream(scoreFile) << saved;

    EXPECT_TRUE(RunMainLoopPass(SDL_GetTicks()));
    EXPECT_EQ(gameState, GameState::Intro);
    EXPECT_EQ(currentLevel, 1);
}

// Only the name entry wants text input; through the intro and play it stays off, so no
// text events pile up from the keys that steer the character.
TEST_F(MainLoopTest, TextInputIsOffFromStartUpThroughIntroAndPlay) {
    EXPECT_FALSE(SDL_IsTextInputActive()) << "after start-up";
    levelClock = 1.0f;
    lastTick = 0;
    gameState = GameState::Intro;
    EXPECT_TRUE(RunMainLoopPass(1000));
    EXPECT_FALSE(SDL_IsTextInputActive()) << "in the intro";
    gameState = GameState::Play;
    EXPECT_TRUE(RunMainLoopPass(2000));
    EXPECT_FALSE(SDL_IsTextInputActive()) << "in play";

    gameState = GameState::GameOver;
    PushText("x");
    EXPECT_TRUE(RunMainLoopPass(3000));
    EXPECT_EQ(nameEntryLine, "Enter name:x_");
    EXPECT_FALSE(SDL_IsTextInputActive()) << "after the name entry took its events";
    nameEntryLine = "Enter name:_";
}

TEST_F(MainLoopTest, WindowCloseInPlayEndsTheLoopWithoutAFrame) {
    gameState = GameState::Play;
    levelClock = 3.0f;
    lastTick = 0;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(RunMainLoopPass(1000));
    EXPECT_EQ(gameState, GameState::Quit);
    EXPECT_EQ(levelClock, 3.0f);  // no update after the quit
    gameState = GameState::Intro;
}

// Esc destroys the window inside the event handling; the loop must end in that pass with
// nothing drawn, presented or stepped afterwards. Runs in a child process of its own.
void EscEndsTheLoop(int state, Uint32 keyEvent) {
    if (!EnsureGameWorld()) std::exit(4);
    gameState = state;
    letsGo = false;
    const float clockBefore = levelClock;
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    PushKey(keyEvent, SDLK_ESCAPE);
    RunMainLoop();
    const bool clean = gameState == GameState::Quit && mainWindow == nullptr && levelClock == clockBefore;
    std::exit(clean ? 0 : 2);
}

TEST(MainLoopDeathTest, EscReleasedInPlayEndsTheLoopCleanly) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EscEndsTheLoop(GameState::Play, SDL_KEYUP), ::testing::ExitedWithCode(0), "");
}

TEST(MainLoopDeathTest, EscPressedInIntroEndsTheLoopCleanly) {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EscEndsTheLoop(GameState::Intro, SDL_KEYDOWN), ::testing::ExitedWithCode(0), "");
}

}  // namespace
