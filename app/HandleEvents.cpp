// Input: empties the SDL event queue once per call and turns the events into the flags of
// the game, the character and the start tile, by the rules of the state the call began in.
#include <SDL2/SDL.h>

#include <cctype>
#include <set>
#include <string>

#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/Globals.h"
#include "app/ScoreTable.h"
#include "objects/Character.h"
#include "objects/Hex.h"
#include "objects/ParticleObject.h"

const std::string NamePrompt = "Enter name:";

namespace {

const std::string NameCursor = "_";

// Keys down as far as the events seen so far tell, in every state that reads events.
std::set<SDL_Keycode> heldKeys;
// Keys that were still down when the run ended: their repeats type nothing into the name.
std::set<SDL_Keycode> keysHeldFromPlay;
// The text that follows a repeat of such a key is that key's, not the player's.
bool textFromHeldKey = false;
int previousState = GameState::Intro;

void TrackKey(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) heldKeys.insert(event.key.keysym.sym);
    if (event.type == SDL_KEYUP) heldKeys.erase(event.key.keysym.sym);
}

// Esc: the window and SDL go away here. mainWindow is null from now on, which tells the
// rest of the pass not to draw, present or simulate.
void QuitGame() {
    gameState = GameState::Quit;
    // The world's GL objects go while their context is still there.
    if (SDL_GL_GetCurrentContext() != nullptr) ReleaseWorld();
    SDL_DestroyWindow(mainWindow);
    mainWindow = nullptr;
    SDL_Quit();
}

void SetCharacterFlag(bool object::Character::*flag, bool value) {
    if (playerCharacter) playerCharacter->*flag = value;
}

// Returns false once the game has shut SDL down; the queue is gone then.
bool HandlePlayKey(SDL_Keycode key, bool down) {
    switch (key) {
        case SDLK_TAB: showScores = down; break;
        case SDLK_ESCAPE:
            if (!down) {
                QuitGame();
                return false;
            }
            break;
        case SDLK_SPACE: SetCharacterFlag(&object::Character::jump, down); break;
        case SDLK_a: SetCharacterFlag(&object::Character::turnLeft, down); break;
        case SDLK_d: SetCharacterFlag(&object::Character::turnRight, down); break;
        case SDLK_s: SetCharacterFlag(&object::Character::moveBackward, down); break;
        case SDLK_w: SetCharacterFlag(&object::Character::moveForward, down); break;
        case SDLK_f:
            if (down && hexPrototype && hexPrototype->burst) hexPrototype->burst->active = true;
            break;
        case SDLK_k:
            if (down) SetCharacterFlag(&object::Character::goalReached, true);
            break;
        case SDLK_m:
            if (down) showShadowMapDebug = !showShadowMapDebug;
            break;
        default: break;
    }
    return true;
}

void HandlePlayEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        TrackKey(event);
        switch (event.type) {
            case SDL_QUIT: gameState = GameState::Quit; break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (!HandlePlayKey(event.key.keysym.sym, event.type == SDL_KEYDOWN)) return;
                break;
            case SDL_MOUSEMOTION:
                mouseX = event.motion.x;
                mouseY = event.motion.y;
                break;
            default: break;
        }
    }
}

void HandleIntroEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        TrackKey(event);
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
            QuitGame();
            return;
        }
    }
}

// The typed name: the text between the prompt and the cursor.
std::string TypedName() {
    const size_t frame = NamePrompt.size() + NameCursor.size();
    if (nameEntryLine.size() <= frame) return std::string();
    return nameEntryLine.substr(NamePrompt.size(), nameEntryLine.size() - frame);
}

void SetTypedName(const std::string& name) {
    nameEntryLine = NamePrompt + name + NameCursor;
}

bool IsUtf8Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

bool IsUtf8Lead(unsigned char c) {
    return c >= 0xC0;
}

// Drops the last character, all of its UTF-8 bytes; a stray byte goes alone.
void RemoveLastCharacter(std::string& name) {
    if (name.empty()) return;
    const size_t last = name.size() - 1;
    size_t start = last;
    while (start > 0 && last - start < 3 && IsUtf8Continuation(static_cast<unsigned char>(name[start]))) --start;
    if (start != last && !IsUtf8Lead(static_cast<unsigned char>(name[start]))) start = last;
    name.erase(start);
}

// White space is refused: the score file keeps a name as one token.
void InsertTypedText(const char* text) {
    std::string name = TypedName();
    for (const char* c = text; *c != '\0'; ++c) {
        if (!std::isspace(static_cast<unsigned char>(*c))) name += *c;
    }
    SetTypedName(name);
}

void SubmitName() {
    const std::string name = TypedName();
    if (name.empty()) return;
    scoreTable->add(name);
    scoreTable->save();
    nameEntryLine = NamePrompt + NameCursor;
    totalScore = 0;
    if (playerCharacter) playerCharacter->visitedTargets = 0;
    gameState = GameState::Restart;
    showScores = false;
}

// A key held since play sends only repeats while it stays down; a press without the repeat
// mark means it was let go in between (even if that release was missed) and ends the hold.
bool IsRepeatOfKeyHeldFromPlay(const SDL_KeyboardEvent& key) {
    if (keysHeldFromPlay.count(key.keysym.sym) == 0) return false;
    if (key.repeat != 0) return true;
    keysHeldFromPlay.erase(key.keysym.sym);
    return false;
}

void HandleNameEntryEvents() {
    showScores = true;
    SDL_StartTextInput();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        TrackKey(event);
        if (event.type == SDL_KEYUP) {
            keysHeldFromPlay.erase(event.key.keysym.sym);
        } else if (event.type == SDL_KEYDOWN) {
            textFromHeldKey = IsRepeatOfKeyHeldFromPlay(event.key);
            if (textFromHeldKey) continue;
        }

        if (event.type == SDL_TEXTINPUT) {
            if (!textFromHeldKey) InsertTypedText(event.text.text);
        } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_BACKSPACE) {
            std::string name = TypedName();
            RemoveLastCharacter(name);
            SetTypedName(name);
        } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_RETURN) {
            SubmitName();
        }
    }
    SDL_StopTextInput();
}

}  // namespace

void HandleEvents() {
    // The run has just ended: whatever is still held then belongs to play, not to the name.
    if (gameState == GameState::GameOver && previousState != GameState::GameOver) {
        keysHeldFromPlay = heldKeys;
        textFromHeldKey = false;
    }
    previousState = gameState;
    switch (gameState) {
        case GameState::Play: HandlePlayEvents(); break;
        case GameState::Intro: HandleIntroEvents(); break;
        case GameState::GameOver: HandleNameEntryEvents(); break;
        default: break;
    }
}
