#include "platform/IniReader.h"

#include <cctype>
#include <climits>
#include <sstream>

#include "platform/RegularFile.h"
#include "platform/TrimBlanks.h"

namespace os {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool ParseDecimalInt(const std::string& text, int& out) {
    const std::string t = TrimBlanks(text);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i == t.size()) return false;
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
        value = value * 10 + (t[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) return false;
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return false;
    out = static_cast<int>(value);
    return true;
}

IniReader::IniReader(const std::string& path) {
    // A folder, a FIFO, a file without read permission or a read error reads as an empty file.
    RegularFile opened(path);
    std::string content;
    std::string reason;
    if (!opened.readAll(content, reason, MaxFileBytes)) {
        if (opened.readable()) unread = reason;
        return;
    }
    std::istringstream file(content);
    std::string line;
    std::string section;
    bool firstLine = true;
    while (std::getline(file, line)) {
        // An editor may have saved the file with a UTF-8 byte-order mark.
        if (firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        firstLine = false;
        const std::string t = TrimBlanks(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t[0] == '[') {
            const size_t close = t.find(']');
            section = close == std::string::npos ? std::string() : Lower(TrimBlanks(t.substr(1, close - 1)));
            continue;
        }
        const size_t equals = t.find('=');
        if (equals == std::string::npos) continue;
        entries.push_back({section, Lower(TrimBlanks(t.substr(0, equals))), TrimBlanks(t.substr(equals + 1))});
    }
}

const std::string& IniReader::failure() const {
    return unread;
}

int IniReader::getInt(const std::string& section, const std::string& key, int defaultValue) const {
    const std::string wantedSection = Lower(TrimBlanks(section));
    const std::string wantedKey = Lower(TrimBlanks(key));
    for (const Entry& entry : entries) {
        if (entry.section != wantedSection || entry.key != wantedKey) continue;
        int value = 0;
        return ParseDecimalInt(entry.value, value) ? value : defaultValue;
    }
    return defaultValue;
}

}  // namespace os
