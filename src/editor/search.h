#pragma once
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Find and replace over the editor's text as Scintilla holds it: one UTF-8
// buffer addressed by byte offsets. Lengths and moves count characters (code
// points); every line-break character is one character. A byte that is not
// part of a well-formed UTF-8 sequence counts as one character that matches
// nothing and is a delimiter, as the editor counts it.
namespace ts::search {

struct Options {
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

// Byte offsets into the text, end exclusive.
struct Range {
    size_t start = 0;
    size_t end = 0;
    friend bool operator==(const Range&, const Range&) = default;
};

// Searches from the selection: down, the first match starting at or after its
// end (whole word: a word starting after its end); up, the last match ending at
// or before its start. The match is m characters of the text, m being the
// pattern's length; without match case its byte length can differ from the
// pattern's (ı, ſ upper-case to I, S). Nothing is found for an empty pattern,
// an empty text or a selection outside the text.
std::optional<Range> find(std::string_view text, Range selection, const QString& pattern, const Options& o);

// Replace All after the selection has been dealt with: the result of searching
// down from the selection, replacing the match and searching on from just after
// the inserted text until nothing is found, computed in one pass. `replaced` is
// the range of the original text to overwrite with `replacement`, so the whole
// operation is one edit. `finalSelection` is in the new text: collapsed after
// the last inserted replacement, or the given selection when count is 0.
// Replace All always searches down, whatever o.down says; going up, the loop
// would find the pattern inside its own replacements again.
struct ReplaceAllPlan {
    Range replaced;
    std::string replacement;
    size_t count = 0;
    Range finalSelection;
};
ReplaceAllPlan planReplaceAll(std::string_view text, Range selection, const QString& pattern,
                              const QString& replacementText, const Options& o);

// The same a piece at a time, for a large text that is edited between
// pieces: each piece is one edit of moderate size, whose copies for undo
// the editor makes quickly, and no copy of the whole text is ever built.
// Always down, like planReplaceAll.
class ReplaceAllSteps {
public:
    ReplaceAllSteps(const QString& pattern, const QString& replacementText, const Options& o);
    ReplaceAllSteps(const ReplaceAllSteps&) = delete;
    ReplaceAllSteps& operator=(const ReplaceAllSteps&) = delete;

    struct Piece {
        Range replaced;               // in `rest`
        std::string_view replacement; // valid until the next call
        size_t count = 0;             // 0: nothing left to replace
    };
    // `rest` is the text after the last piece's replaced range, or at first
    // the text after the selection. The piece runs from the first match to
    // the end of the last one that starts less than pieceBytes after it.
    Piece next(std::string_view rest, size_t pieceBytes);
    // The last piece's replacement, moved out; the piece's view of it ends.
    std::string takeReplacement() { return std::move(m_buffer); }

private:
    std::function<void(std::string_view, const std::function<bool(Range)>&)> m_each;
    std::string m_with;
    std::string m_buffer;
};

// Every match of a search down the whole text, in order: the first from the
// start (a word may start there), then each from the end of the one before,
// as Replace All from the start of the text takes them. Thread-safe.
std::vector<Range> findAll(std::string_view text, const QString& pattern, const Options& o);

// Whether Replace may overwrite the selection: equal to the pattern without
// regard to case, whatever match case says. Equal means equal under Qt's
// Unicode case folding, or character by character equal after the search's own
// upper-casing (so a match the case-insensitive search selected always
// qualifies). A locale collator is not used because it treats strings differing
// in ignorable characters (control characters, soft hyphens) as equal. An empty
// pattern never matches: an empty search text is never found, so there is
// nothing to replace.
bool selectionMatches(std::string_view selected, const QString& pattern);

} // namespace ts::search
