// The game flow: free functions over the process-wide globals.
#pragma once

#include <string>

int SDL_main(int argc, char* argv[]);
void InitSystems();
[[noreturn]] void FatalError(std::string message);
void SetupLevel(int level);
void LevelLoadFallback(float tileWidth, float tileDepth);
void RunMainLoop();
void UpdateFrame();
void HandleEvents();
void RenderFrame();
void ShowTextScreen(std::string text);
