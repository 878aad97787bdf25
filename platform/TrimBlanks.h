// Text without the white space around it, as the settings and score readers take their values.
#pragma once

#include <string>

namespace os {

// Drops leading and trailing blanks, tabs and line ends; all-blank text gives "".
std::string TrimBlanks(const std::string& text);

}  // namespace os
