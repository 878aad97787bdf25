// The game flow: free functions over the process-wide globals.
#pragma once

#include <SDL2/SDL.h>  // declares SDL_main(int argc, char* argv[]), the game's entry
#include <string>

void InitSystems();
[[noreturn]] void FatalError(std::string message);
void SetupLevel(int level);
void LevelLoadFallback(float tileWidth, float tileDepth);
void RunMainLoop();
void UpdateFrame();
void HandleEvents();
void RenderFrame();
void ShowTextScreen(std::string text);
