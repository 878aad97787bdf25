// The states of the main loop, as numbers kept in the global gameState.
#pragma once

namespace GameState {
enum : int { Play = 0, Quit = 1, GameOver = 3, Restart = 4, Intro = 5, NextLevel = 6 };
}
