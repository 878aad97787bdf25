// The game flow: free functions over the process-wide globals.
#pragma once

#include <SDL2/SDL.h>  // declares SDL_main(int argc, char* argv[]), the game's entry
#include <cstdint>
#include <string>

#include <glm/glm.hpp>

void InitSystems();
[[noreturn]] void FatalError(std::string message);
void SetupLevel(int level);
// Frees the current level and what every level shares (the models, the shadow map's
// framebuffer and texture). At exit, while the GL context is current.
void ReleaseWorld();
void LevelLoadFallback(float tileWidth, float tileDepth);
void RunMainLoop();
// One pass of the main loop at the given tick (milliseconds); false once the loop must end.
bool RunMainLoopPass(uint32_t tick);
void UpdateFrame();
// Turns the mouse motion since the last frame into the camera angles and places the camera
// around the character's position p. frameSeconds is the paced frame time (1 / refresh
// rate): the angles follow the mouse alone, whatever the measured frame time.
void UpdateCamera(const glm::vec3& p, float frameSeconds);
void HandleEvents();
// The start of nameEntryLine; the typed name and the cursor follow it.
extern const std::string NamePrompt;
void RenderFrame();
// nameEntryLine as the frame draws it from a quarter of the window's width: whole when it
// fits, else the prompt, a mark and the end of the name with the cursor, up to the right edge.
std::string VisibleNameEntryLine();
void ShowTextScreen(std::string text);
