#include "platform/TrimBlanks.h"

namespace os {

std::string TrimBlanks(const std::string& text) {
    const char* blanks = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace os
