// The window settings read from "./settings.ini", section "window".
#pragma once

#include <cstdint>
#include <string>

enum WindowMode : int32_t { Windowed = 0, Borderless = 1, Fullscreen = 2 };

struct WindowSettings {
    float gamma;
    int32_t width;
    int32_t height;
    int32_t refreshRate;
    int32_t windowMode;
};

// Missing file, section or key give the defaults; non-positive width, height or
// refresh rate fall back to their defaults too.
WindowSettings ReadWindowSettings();
WindowSettings ReadWindowSettings(const std::string& path);
