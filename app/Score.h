// One high-score entry.
#pragma once

#include <string>

struct Score {
    std::string name;
    int score;
};
