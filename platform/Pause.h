// Stand-in for the Windows "PAUSE" command run before a resource error ends the process.
#pragma once

namespace os {

// Prints "Press Enter to continue . . ." to stderr and waits for one line, but only when
// stdin is a terminal, so a pipe or a test never hangs.
void Pause();

// A resource the game cannot run without failed: pause as above, then end with exit code 1.
[[noreturn]] void PauseAndExit();

}  // namespace os
