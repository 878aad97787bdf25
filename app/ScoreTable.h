// The high-score table: loads, extends, saves and draws the process-wide scoreList,
// kept sorted by score, highest first, in "./res/Scores/scores.txt".
// Holds no data of its own; constructing one reloads the file.
#pragma once

#include <string>
#include <vector>

class Shader;

class ScoreTable {
public:
    // One text of the overlay, in window pixels from the lower-left corner.
    struct OverlayText {
        std::string text;
        float x;
        float y;
    };

    static const char* const FilePath;
    static constexpr int OverlayRows = 5;

    ScoreTable();

    // Replaces scoreList with the file's entries. A missing or unreadable file prints
    // "file could not be opened" (no line end) and leaves the table empty.
    void load();
    // Appends {name, totalScore}. White space in the name becomes "_" so that the
    // entry reads back as one token.
    void add(std::string name);
    // Under a lock on the score folder (waited for at most about 2 s, then one line on stderr
    // and the save goes on without it), adds the entries added since the load to the file as
    // it is now (another game may have stored names meanwhile) and writes it whole through a new
    // temporary file beside it; scoreList then holds what was written. A failed write leaves
    // file and table as they were. Text that load could not read is kept after the entries.
    // Temporary files that killed saves left over an hour ago are removed.
    // A file that is there but could not be read (permissions, a folder, a read error) is
    // never replaced: one line on stderr names it and the reason.
    void save();
    // Draws the best five entries with the text renderer.
    void draw(Shader* shader, float gamma);

    // The names and scores of the overlay for a window of width x height; a name too long for
    // the room before its score is cut short (the entry itself stays as it is).
    std::vector<OverlayText> overlayTexts(int width, int height) const;
};
