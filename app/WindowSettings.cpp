#include "app/WindowSettings.h"

#include <iostream>
#include <string>

#include "platform/IniReader.h"

namespace {

const char* const SettingsPath = "./settings.ini";
const char* const SettingsSection = "window";
constexpr int DefaultWidth = 1280;
constexpr int DefaultHeight = 768;
constexpr int DefaultRefreshRate = 60;
constexpr int DefaultGamma = 1;
constexpr int DefaultFullscreen = 0;

// A width, height or refresh rate of 0 or less would divide by zero later on.
int32_t PositiveOr(int value, int fallback) {
    return value > 0 ? value : fallback;
}

int32_t WindowModeFromFile(int fullscreen) {
    if (fullscreen == 0) return Windowed;
    if (fullscreen == 1) return Fullscreen;
    return Borderless;
}

}  // namespace

WindowSettings ReadWindowSettings() {
    return ReadWindowSettings(SettingsPath);
}

WindowSettings ReadWindowSettings(const std::string& path) {
    const os::IniReader ini(path);
    // Said once: the same file is read again for the score overlay and the text.
    static std::string said;
    const std::string line = ini.failure().empty() ? std::string() : path + " not loaded: " + ini.failure();
    if (!line.empty() && line != said) std::cerr << "Settings file " << line << std::endl;
    said = line;
    WindowSettings settings;
    settings.width = PositiveOr(ini.getInt(SettingsSection, "width", DefaultWidth), DefaultWidth);
    settings.height = PositiveOr(ini.getInt(SettingsSection, "height", DefaultHeight), DefaultHeight);
    settings.refreshRate =
        PositiveOr(ini.getInt(SettingsSection, "refreshrate", DefaultRefreshRate), DefaultRefreshRate);
    // A gamma of 0 or less would turn the picture white or black.
    settings.gamma = static_cast<float>(PositiveOr(ini.getInt(SettingsSection, "gamma", DefaultGamma), DefaultGamma));
    settings.windowMode = WindowModeFromFile(ini.getInt(SettingsSection, "fullscreen", DefaultFullscreen));
    return settings;
}
