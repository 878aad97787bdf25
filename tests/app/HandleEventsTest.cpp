// HandleEvents driven through SDL's own event queue: the key table of play, Esc and the
// close request per state, mouse motion, and the name entry with its score-file writes.
#include <gtest/gtest.h>
#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "objects/Character.h"
#include "ScoreTableTestSupport.h"

namespace {

class HandleEventsTest : public ScratchWorkingDirectory {
protected:
    void SetUp() override {
        ScratchWorkingDirectory::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        writeScores("old 5\n");
        scoreTable = new ScoreTable();
        playerCharacter = new object::Character("character", nullptr, glm::mat4(1.0f));
        gameState = GameState::Play;
        showScores = false;
        showShadowMapDebug = false;
        mouseX = mouseY = 0;
        nameEntryLine = "Enter name:_";
        totalScore = 0;
    }
    void TearDown() override {
        delete playerCharacter;
        playerCharacter = nullptr;
        delete scoreTable;
        scoreTable = nullptr;
        scoreList.clear();
        gameState = GameState::Intro;
        totalScore = 0;
        nameEntryLine = "Enter name:_";
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
        ScratchWorkingDirectory::TearDown();
    }

    static void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
    static void key(SDL_Keycode sym, bool down, bool repeat = false) {
        SDL_Event e = {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.sym = sym;
        push(e);
    }
    static void text(const char* typed) {
        SDL_Event e = {};
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, typed, sizeof(e.text.text) - 1);
        push(e);
    }
    static void mouse(int x, int y) {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        push(e);
    }
    static void closeRequest() {
        SDL_Event e = {};
        e.type = SDL_QUIT;
        push(e);
    }
    static int queued() { return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT); }

    // Runs HandleEvents and checks that it emptied the queue.
    static void handle() {
        HandleEvents();
        EXPECT_EQ(queued(), 0);
    }

    // In a child process: a real (dummy-driver) window, one Esc event, then the state the
    // rest of the main loop pass would see. Exit code 0 when the window and SDL are gone and
    // a text screen after that draws nothing.
    void escShutsDown(int state, bool down) {
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) std::exit(3);
        mainWindow = SDL_CreateWindow("esc-test", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
        if (!mainWindow) std::exit(4);
        gameState = state;
        SDL_Event e = {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.sym = SDLK_ESCAPE;
        SDL_PushEvent(&e);
        HandleEvents();
        ShowTextScreen("LOADING LEVEL 1");  // must not reach the destroyed window
        const bool done = gameState == GameState::Quit && mainWindow == nullptr && SDL_WasInit(SDL_INIT_EVERYTHING) == 0;
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(scratch);  // TearDown does not run in the child
        std::exit(done ? 0 : 2);
    }
};

using Flag = bool object::Character::*;

TEST_F(HandleEventsTest, PlayKeysAndTabSetOnDownAndClearOnUp) {
    const struct {
        SDL_Keycode key;
        Flag flag;
    } table[] = {{SDLK_SPACE, &object::Character::jump},
                 {SDLK_a, &object::Character::turnLeft},
                 {SDLK_d, &object::Character::turnRight},
                 {SDLK_s, &object::Character::moveBackward},
                 {SDLK_w, &object::Character::moveForward}};
    for (const auto& row : table) {
        key(row.key, true);
        handle();
        for (const auto& other : table) {
            EXPECT_EQ(playerCharacter->*other.flag, other.key == row.key) << SDL_GetKeyName(row.key);
        }
        key(row.key, true, true);  // the system's key repeat sets it again
        handle();
        EXPECT_TRUE(playerCharacter->*row.flag);
        key(row.key, false);
        handle();
        EXPECT_FALSE(playerCharacter->*row.flag) << SDL_GetKeyName(row.key);
    }
    EXPECT_FALSE(showScores);
    EXPECT_FALSE(playerCharacter->goalReached);
    EXPECT_EQ(gameState, GameState::Play);

    key(SDLK_TAB, true);
    handle();
    EXPECT_TRUE(showScores);
    key(SDLK_TAB, false);
    handle();
    EXPECT_FALSE(showScores);
}

TEST_F(HandleEventsTest, KAndMActOnKeyDownOnlyAndOtherKeysNotAtAll) {
    key(SDLK_k, true);
    key(SDLK_k, false);
    handle();
    EXPECT_TRUE(playerCharacter->goalReached);

    key(SDLK_m, true);
    handle();
    EXPECT_TRUE(showShadowMapDebug);
    key(SDLK_m, true, true);
    key(SDLK_m, true, true);
    handle();
    EXPECT_TRUE(showShadowMapDebug);  // toggled twice more
    key(SDLK_m, true, true);
    key(SDLK_m, false);
    handle();
    EXPECT_FALSE(showShadowMapDebug);

    // Keys without a meaning in play, and name-entry input, change nothing.
    key(SDLK_q, true);
    key(SDLK_BACKSPACE, true);
    text("x");
    handle();
    EXPECT_FALSE(playerCharacter->moveForward || playerCharacter->jump);
    EXPECT_EQ(nameEntryLine, "Enter name:_");
    EXPECT_EQ(gameState, GameState::Play);
}

TEST_F(HandleEventsTest, MouseMotionIsRecordedOnlyInPlay) {
    mouse(10, 20);
    mouse(30, 40);
    handle();
    EXPECT_EQ(mouseX, 30);
    EXPECT_EQ(mouseY, 40);

    for (int state : {GameState::Intro, GameState::GameOver}) {
        gameState = state;
        mouse(99, 98);
        handle();
        EXPECT_EQ(mouseX, 30);
        EXPECT_EQ(mouseY, 40);
    }
}

TEST_F(HandleEventsTest, CloseRequestEndsTheGameOnlyInPlay) {
    for (int state : {GameState::Intro, GameState::GameOver}) {
        gameState = state;
        closeRequest();
        handle();
        EXPECT_EQ(gameState, state);
    }
    gameState = GameState::Play;
    closeRequest();
    handle();
    EXPECT_EQ(gameState, GameState::Quit);
    EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u);  // the window and SDL stay
}

TEST_F(HandleEventsTest, EscPressedInPlayOrReleasedInIntroDoesNothing) {
    key(SDLK_ESCAPE, true);
    handle();
    EXPECT_EQ(gameState, GameState::Play);

    gameState = GameState::Intro;
    key(SDLK_ESCAPE, false);
    key(SDLK_w, true);
    handle();
    EXPECT_EQ(gameState, GameState::Intro);
    EXPECT_FALSE(playerCharacter->moveForward);

    gameState = GameState::GameOver;
    key(SDLK_ESCAPE, true);
    key(SDLK_ESCAPE, false);
    handle();
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u);
}

TEST_F(HandleEventsTest, EscReleasedInPlayQuitsAndShutsDown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(escShutsDown(GameState::Play, false), ::testing::ExitedWithCode(0), "");
}

TEST_F(HandleEventsTest, EscPressedInIntroQuitsAndShutsDown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(escShutsDown(GameState::Intro, true), ::testing::ExitedWithCode(0), "");
}

TEST_F(HandleEventsTest, StatesWithoutInputLeaveTheQueueAlone) {
    for (int state : {GameState::Quit, GameState::Restart, GameState::NextLevel}) {
        gameState = state;
        key(SDLK_w, true);
        HandleEvents();
        EXPECT_EQ(queued(), 1) << state;
        EXPECT_FALSE(playerCharacter->moveForward);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

TEST_F(HandleEventsTest, NameEntryInsertsTextBeforeTheCursor) {
    gameState = GameState::GameOver;
    text("a");
    text("bc");
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:abc_");
    EXPECT_TRUE(showScores);
    text("d\xC3\xA9");  // "dé": kept as typed, UTF-8
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:abcd\xC3\xA9_");
    text(" e f\t");  // white space is refused: the score file keeps a name as one token
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:abcd\xC3\xA9" "ef_");
}

TEST_F(HandleEventsTest, BackspaceRemovesOneWholeCharacter) {
    gameState = GameState::GameOver;
    key(SDLK_BACKSPACE, true);
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:_");

    text("ab");
    key(SDLK_BACKSPACE, true);
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:a_");

    for (const char* wide : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {  // é, €, an emoji
        text(wide);
        key(SDLK_BACKSPACE, true);
        handle();
        EXPECT_EQ(nameEntryLine, "Enter name:a_") << wide;
    }
    key(SDLK_BACKSPACE, false);  // only the press counts
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:a_");
}

TEST_F(HandleEventsTest, ReturnWithNothingTypedChangesNothing) {
    gameState = GameState::GameOver;
    totalScore = 9;
    key(SDLK_RETURN, true);
    handle();
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_EQ(nameEntryLine, "Enter name:_");
    EXPECT_EQ(totalScore, 9);
    EXPECT_EQ(scoreList.size(), 1u);
    EXPECT_EQ(readScores(), "old 5\n");
    EXPECT_TRUE(showScores);
}

TEST_F(HandleEventsTest, ReturnStoresTheNameWithTheScoreAndRestarts) {
    gameState = GameState::GameOver;
    totalScore = 12;
    playerCharacter->visitedTargets = 4;
    playerCharacter->moveForward = true;
    text("ann");
    key(SDLK_w, false);  // key up does not clear the character's flags here
    key(SDLK_RETURN, true);
    handle();
    EXPECT_EQ(readScores(), "ann 12\nold 5\n");
    EXPECT_EQ(nameEntryLine, "Enter name:_");
    EXPECT_EQ(totalScore, 0);
    EXPECT_EQ(playerCharacter->visitedTargets, 0);
    EXPECT_EQ(gameState, GameState::Restart);
    EXPECT_FALSE(showScores);
    EXPECT_TRUE(playerCharacter->moveForward);
}

TEST_F(HandleEventsTest, SecondReturnInOneCallStoresAFurtherEntry) {
    gameState = GameState::GameOver;
    totalScore = 7;
    text("ann");
    key(SDLK_RETURN, true);
    text("bob");
    key(SDLK_RETURN, true);
    text("c");
    handle();
    EXPECT_EQ(readScores(), "ann 7\nold 5\nbob 0\n");
    EXPECT_EQ(nameEntryLine, "Enter name:c_");
    EXPECT_EQ(gameState, GameState::Restart);
}

// ---- Keys held across the end of the run ------------------------------------------------

// What a held key sends once text input is on: a repeated key-down and its text.
class HeldKeyTest : public HandleEventsTest {
protected:
    static void repeatWithText(SDL_Keycode sym, const char* typed) {
        key(sym, true, true);
        text(typed);
    }
    static void pressWithText(SDL_Keycode sym, const char* typed) {
        key(sym, true);
        text(typed);
    }
    // Play with the keys down, then the frame update ends the run.
    void endRunHolding(std::initializer_list<SDL_Keycode> keys) {
        gameState = GameState::Play;
        for (SDL_Keycode sym : keys) key(sym, true);
        handle();
        gameState = GameState::GameOver;
    }
};

TEST_F(HeldKeyTest, KeyHeldWhenTheRunEndsTypesNothingUntilReleased) {
    endRunHolding({SDLK_w});
    for (int i = 0; i < 3; ++i) repeatWithText(SDLK_w, "w");
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:_");
    repeatWithText(SDLK_w, "w");  // still held on a later pass
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:_");

    key(SDLK_w, false);
    pressWithText(SDLK_w, "w");
    repeatWithText(SDLK_w, "w");  // held again after the release: repeats type as before
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:ww_");
}

TEST_F(HeldKeyTest, KeysPressedAfterTheEndTypeWhileAnOldOneIsStillHeld) {
    endRunHolding({SDLK_w, SDLK_s});
    repeatWithText(SDLK_w, "w");
    pressWithText(SDLK_a, "a");
    repeatWithText(SDLK_a, "a");
    repeatWithText(SDLK_s, "s");
    pressWithText(SDLK_b, "b");
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:aab_");
}

TEST_F(HeldKeyTest, HeldReturnAndBackspaceFromPlayDoNothingButFreshOnesWork) {
    totalScore = 3;
    endRunHolding({SDLK_BACKSPACE, SDLK_RETURN});
    pressWithText(SDLK_a, "a");
    pressWithText(SDLK_b, "b");
    key(SDLK_BACKSPACE, true, true);
    key(SDLK_RETURN, true, true);
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:ab_");
    EXPECT_EQ(gameState, GameState::GameOver);
    EXPECT_EQ(readScores(), "old 5\n");

    // Backspace pressed after the end and held: every repeat removes one more character.
    key(SDLK_BACKSPACE, false);
    pressWithText(SDLK_c, "c");
    key(SDLK_BACKSPACE, true);
    key(SDLK_BACKSPACE, true, true);
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:a_");
    key(SDLK_BACKSPACE, true, true);
    key(SDLK_BACKSPACE, true, true);
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:_");
    key(SDLK_BACKSPACE, false);

    key(SDLK_RETURN, false);
    pressWithText(SDLK_z, "z");
    key(SDLK_RETURN, true);
    handle();
    EXPECT_EQ(readScores(), "old 5\nz 3\n");
    EXPECT_EQ(gameState, GameState::Restart);
}

TEST_F(HeldKeyTest, EachRunEndTakesTheKeysHeldThen) {
    endRunHolding({SDLK_w});
    key(SDLK_w, false);
    handle();
    pressWithText(SDLK_q, "q");
    key(SDLK_q, false);
    key(SDLK_RETURN, true);
    key(SDLK_RETURN, false);
    handle();
    ASSERT_EQ(gameState, GameState::Restart);

    // The next run: "w" was let go in the name entry, now "d" is held at the end.
    handle();  // the restart pass reads nothing
    gameState = GameState::Intro;
    handle();
    endRunHolding({SDLK_d});
    repeatWithText(SDLK_d, "d");
    pressWithText(SDLK_w, "w");
    handle();
    EXPECT_EQ(nameEntryLine, "Enter name:w_");
}

}  // namespace
