#include "platform/Pause.h"

#include <unistd.h>

#include <iostream>
#include <string>

namespace os {

void Pause() {
    if (!isatty(STDIN_FILENO)) return;
    std::cerr << "Press Enter to continue . . ." << std::flush;
    std::string line;
    std::getline(std::cin, line);
}

}  // namespace os
