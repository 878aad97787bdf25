// The high-score table: loads, extends, saves and draws the process-wide scoreList,
// kept sorted by score, highest first, in "./res/Scores/scores.txt".
// Holds no data of its own; constructing one reloads the file.
#pragma once

#include <cstdint>
#include <functional>
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
    // Some 400,000 entries, far more than games are played; a larger file is neither read nor
    // replaced, like an unreadable one.
    static constexpr int64_t MaxFileBytes = 8 * 1024 * 1024;
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
    // Just before its rename the save checks that the file is still the one it read; when
    // another save replaced it meanwhile (one that gave up waiting for the lock while this
    // one was slow or stopped), it reads and merges again, a few times at most.
    // Temporary files that killed saves left over an hour ago are removed.
    // A file that is there but could not be read (permissions, a folder, a read error) is
    // never replaced: one line on stderr names it and the reason.
    void save();
    // For tests: where a save's temporary names come from (random letters when empty), and a
    // call made once a temporary file is written, before the check and the rename.
    struct SaveHooks {
        std::function<std::string()> tempName;
        std::function<void()> beforeRename;
    };
    static SaveHooks saveHooks;

    // Draws the best five entries with the text renderer.
    void draw(Shader* shader, float gamma);

    // The names and scores of the overlay for a window of width x height; a name too long for
    // the room before its score is cut short (the entry itself stays as it is).
    std::vector<OverlayText> overlayTexts(int width, int height) const;
};
