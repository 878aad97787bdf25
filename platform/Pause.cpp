#include "platform/Pause.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace os {

void Pause() {
    if (!isatty(STDIN_FILENO)) return;
    std::cerr << "Press Enter to continue . . ." << std::flush;
    std::string line;
    std::getline(std::cin, line);
}

void PauseAndExit() {
    Pause();
    std::exit(1);
}

}  // namespace os
