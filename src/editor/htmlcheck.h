#pragma once
#include <QString>
#include <atomic>
#include <string_view>
#include <vector>

namespace ts {

// One problem HTML Tidy reports about a page.
struct HtmlProblem {
    int line = 0;    // from 1; 0 when the message names no place
    int column = 0;  // in characters from 1, as the status bar counts them
    QString kind;    // "Error", "Warning" or "Access"
    QString message; // as Tidy writes it
    // The bytes of the checked text to underline: the tag or entity that
    // begins at the place, else its first character. Empty without a place.
    qint64 from = 0;
    qint64 to = 0;
    bool operator==(const HtmlProblem&) const = default;
};

// Lets another thread follow a running check and stop it.
struct HtmlCheckControl {
    std::atomic<bool> cancel{false};
    std::atomic<qint64> bytesRead{0};
};

// Asks HTML Tidy for its report on the UTF-8 text, nothing else: the text is
// never changed and Tidy's cleaned copy is never made. The document type
// line chooses the rules; a page without one is checked as HTML5. Problems
// come in the order of their places. A cancelled check stops reading the
// text and returns none.
std::vector<HtmlProblem> checkHtml(std::string_view utf8, HtmlCheckControl* control = nullptr);

} // namespace ts
