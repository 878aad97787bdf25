// The exit taken when a required start-up step fails: say why, wait for a key, end.
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/GameFlow.h"
#include "render/ModelCache.h"

void FatalError(std::string message) {
    std::cout << message << std::endl;
    std::cout << "Key to quit!...";
    int key = 0;
    std::cin >> key;  // cin is tied to cout: the prompt is flushed before the read
    // Not while a set-up reads models ahead: exit would tear Assimp and FreeImage down
    // under the reading thread.
    ModelCache::endReadAhead();
    std::exit(1);
}
