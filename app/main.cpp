// Process entry: SDL's entry glue is not used on Linux, so hand over to the game's SDL_main.
#include <SDL2/SDL.h>

int main(int argc, char** argv) {
    SDL_SetMainReady();
    return SDL_main(argc, argv);
}
