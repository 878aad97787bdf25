// Fuzzes the settings reader: any settings file gives usable window settings, and the
// integer parser agrees with a plain reference parser.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>

#include "FuzzDriver.h"
#include "app/WindowSettings.h"
#include "platform/IniReader.h"

namespace {

std::string settingsPath;

// What ParseDecimalInt must do: blanks around, an optional sign, then digits only, in range.
bool ReferenceParse(const std::string& text, int& out) {
    const char* blanks = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return false;
    const std::string t = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i == t.size()) return false;
    for (size_t k = i; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9') return false;
    }
    errno = 0;
    const long long value = std::strtoll(t.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
    out = static_cast<int>(value);
    return true;
}

void RunOne(const std::string& input) {
    {
        std::ofstream file(settingsPath, std::ios::binary | std::ios::trunc);
        file << input;
    }
    const WindowSettings s = ReadWindowSettings(settingsPath);
    if (s.width <= 0 || s.height <= 0 || s.refreshRate <= 0 || !(s.gamma > 0.0f)) {
        fuzz::Fail("settings", input, "a size, refresh rate or gamma of 0 or less");
    }
    if (s.windowMode != Windowed && s.windowMode != Fullscreen && s.windowMode != Borderless) {
        fuzz::Fail("settings", input, "an unknown window mode");
    }
    // The input as one value, as the parser sees a value after "=" (NUL ends a C string there).
    const std::string value = input.substr(0, input.find('\0'));
    int got = 7;
    int expected = 7;
    const bool parsed = os::ParseDecimalInt(value, got);
    if (parsed != ReferenceParse(value, expected) || (parsed && got != expected)) {
        fuzz::Fail("settings", input, "ParseDecimalInt disagrees with the reference");
    }
}

}  // namespace

fuzz::Harness fuzz::MakeHarness() {
    settingsPath = fuzz::ScratchRoot() + "qv-fuzz-settings-" + std::to_string(getpid()) + ".ini";
    std::atexit([] { std::remove(settingsPath.c_str()); });
    return {"settings",
            {"[window]\nwidth=1280\nheight=768\nrefreshrate=60\ngamma=1\nfullscreen=0\n",
             "\xEF\xBB\xBF[Window]\r\nWIDTH = +800\r\n; note\r\nheight=-5\r\ngamma=99999999999\r\n",
             "[other]\nwidth=1\n[window]\nfullscreen=2\nwidth=\n"},
            {"\n", "\r\n", "=", "[", "]", "[window]", "width", "height", "refreshrate", "gamma", "fullscreen",
             " ", "\t", "-", "+", "0", "1", "2147483647", "2147483648", "-2147483648", "99999999999", ";", "#",
             "\xEF\xBB\xBF"},
            4096,
            RunOne};
}
