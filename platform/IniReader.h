// Reads integer values from an initialisation file the way the Windows private-profile
// reader does: "[section]" headers, "key=value" lines, names matched without regard to case.
// Owns a copy of the file's text, read once when constructed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace os {

class IniReader {
public:
    // Far above any settings file a person writes; a larger one is not read at all.
    static constexpr int64_t MaxFileBytes = 64 * 1024;

    // A file that cannot be read, or one larger than MaxFileBytes, behaves as an empty one.
    explicit IniReader(const std::string& path);

    // Why a regular file at the path was not read (too large, a read error, no memory);
    // empty when it was, or when nothing readable was there (which needs no word).
    const std::string& failure() const;

    // The value of key in section as a plain decimal integer (optional sign, blanks around
    // it allowed). A missing section or key, or a value that is not such a number or does
    // not fit in 32 bits, gives defaultValue. The first matching key wins.
    int getInt(const std::string& section, const std::string& key, int defaultValue) const;

private:
    struct Entry {
        std::string section;  // lower case
        std::string key;      // lower case
        std::string value;    // trimmed
    };
    std::vector<Entry> entries;
    std::string unread;
};

// Parses a whole string as a plain decimal 32-bit integer; false when it is not one.
bool ParseDecimalInt(const std::string& text, int& out);

}  // namespace os
