#include "editor/htmlcheck.h"

#include <tidy/tidy.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace ts {

namespace {

// Tidy's columns jump to the next multiple of this after a tab.
constexpr int kTidyTabSize = 8;
// How often the reading looks at the control: every this many bytes.
constexpr qint64 kControlStep = 16 * 1024;

struct TidyMessageRecord {
    TidyReportLevel level;
    int line;
    int column;
    QString message;
};

// The text as Tidy reads it, byte by byte, and stops reading when told to.
struct Source {
    std::string_view text;
    size_t pos = 0;
    std::vector<unsigned char> pushedBack;
    HtmlCheckControl* control = nullptr;
    bool stopped = false;

    bool atEnd() {
        if (stopped) return true;
        if (pos % kControlStep == 0 && control) {
            control->bytesRead.store(qint64(pos), std::memory_order_relaxed);
            if (control->cancel.load(std::memory_order_relaxed)) stopped = true;
        }
        return stopped || pos >= text.size();
    }
};

int TIDY_CALL getByte(void* data) {
    auto* s = static_cast<Source*>(data);
    if (!s->pushedBack.empty()) {
        const unsigned char b = s->pushedBack.back();
        s->pushedBack.pop_back();
        return b;
    }
    if (s->atEnd()) return int(EndOfStream);
    const char c = s->text[s->pos++];
    // Tidy miscounts the columns of a line after a lone CR (an old Mac line
    // break); an LF breaks the line the same way and keeps every place.
    if (c == '\r' && (s->pos == s->text.size() || s->text[s->pos] != '\n')) return '\n';
    return static_cast<unsigned char>(c);
}

void TIDY_CALL ungetByte(void* data, byte b) { static_cast<Source*>(data)->pushedBack.push_back(b); }

Bool TIDY_CALL isEof(void* data) {
    auto* s = static_cast<Source*>(data);
    return s->pushedBack.empty() && s->atEnd() ? yes : no;
}

Bool TIDY_CALL collect(TidyMessage m) {
    auto* records = static_cast<std::vector<TidyMessageRecord>*>(tidyGetAppData(tidyGetMessageDoc(m)));
    records->push_back({tidyGetMessageLevel(m), tidyGetMessageLine(m), tidyGetMessageColumn(m),
                        QString::fromUtf8(tidyGetMessage(m))});
    // Nothing goes to Tidy's own output (standard error).
    return no;
}

// Info and configuration notes are about Tidy and its settings, the
// dialogue lines are its summary: none of them is a problem of the page.
QString kindOf(TidyReportLevel level) {
    switch (level) {
    case TidyWarning: return QStringLiteral("Warning");
    case TidyAccess: return QStringLiteral("Access");
    case TidyError:
    case TidyBadDocument:
    case TidyFatal: return QStringLiteral("Error");
    default: return QString();
    }
}

qint64 utf8Length(std::string_view t, qint64 p, qint64 end) {
    const auto c = static_cast<unsigned char>(t[size_t(p)]);
    const int n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF8 ? 4 : 1;
    if (p + n > end) return 1;
    for (int k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(t[size_t(p + k)]) & 0xC0) != 0x80) return 1;
    return n;
}

bool isEntityChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#';
}

// Where each line starts; lines end at CR LF, LF or CR, as in the editor.
std::vector<qint64> lineStarts(std::string_view t) {
    std::vector<qint64> starts{0};
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r') {
            if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
            starts.push_back(qint64(i + 1));
        } else if (t[i] == '\n') {
            starts.push_back(qint64(i + 1));
        }
    }
    return starts;
}

qint64 lineEnd(std::string_view t, qint64 start) {
    qint64 p = start;
    while (p < qint64(t.size()) && t[size_t(p)] != '\r' && t[size_t(p)] != '\n') ++p;
    return p;
}

// Turns Tidy's place (its column counts a character as one and steps to
// the next tab stop at a tab) into the editor's column and a span to mark.
void place(HtmlProblem& p, std::string_view t, const std::vector<qint64>& starts, int tidyLine, int tidyColumn) {
    const size_t index = std::min(size_t(tidyLine), starts.size()) - 1;
    const qint64 start = starts[index];
    const qint64 end = lineEnd(t, start);
    qint64 pos = start;
    int visual = 1;
    int chars = 1;
    while (pos < end && visual < tidyColumn) {
        const int next = t[size_t(pos)] == '\t' ? visual + kTidyTabSize - (visual - 1) % kTidyTabSize : visual + 1;
        if (next > tidyColumn) break; // the place lies in this tab's stretch
        visual = next;
        pos += utf8Length(t, pos, end);
        ++chars;
    }
    p.line = int(index) + 1;
    p.column = chars;
    p.from = pos;
    p.to = pos;
    if (pos >= end) return;
    qint64 to = pos + 1;
    if (t[size_t(pos)] == '<') {
        while (to < end && t[size_t(to)] != '>' && t[size_t(to)] != '<') ++to;
        if (to < end && t[size_t(to)] == '>') ++to;
    } else if (t[size_t(pos)] == '&') {
        while (to < end && isEntityChar(t[size_t(to)])) ++to;
        if (to < end && t[size_t(to)] == ';') ++to;
    } else {
        to = pos + utf8Length(t, pos, end);
    }
    p.to = to;
}

struct TidyDocDeleter {
    void operator()(TidyDoc* d) const {
        tidyRelease(*d);
        delete d;
    }
};

} // namespace

std::vector<HtmlProblem> checkHtml(std::string_view utf8, HtmlCheckControl* control) {
    std::vector<TidyMessageRecord> records;
    {
        // Tidy keeps some state in globals (it picks its message language
        // at every tidyCreate): one check at a time.
        static std::mutex tidyInUse;
        const std::lock_guard lock(tidyInUse);
        const std::unique_ptr<TidyDoc, TidyDocDeleter> doc(new TidyDoc(tidyCreate()));
        // Tidy's defaults, whatever a configuration file of the system says.
        tidyOptResetAllToDefault(*doc);
        tidySetInCharEncoding(*doc, "utf8");
        tidyOptSetInt(*doc, TidyTabSize, kTidyTabSize);
        tidySetAppData(*doc, &records);
        tidySetMessageCallback(*doc, collect);

        Source source{utf8, 0, {}, control};
        TidyInputSource input;
        tidyInitSource(&input, &source, getByte, ungetByte, isEof);
        // Some messages come from the repair of Tidy's own copy and from the
        // diagnostics; neither touches the text, and no output is written.
        if (tidyParseSource(*doc, &input) >= 0 && !source.stopped && tidyCleanAndRepair(*doc) >= 0)
            tidyRunDiagnostics(*doc);
        if (control) control->bytesRead.store(qint64(source.pos), std::memory_order_relaxed);
        if (source.stopped) return {};
    }

    std::vector<HtmlProblem> problems;
    std::vector<qint64> starts;
    for (TidyMessageRecord& r : records) {
        QString kind = kindOf(r.level);
        if (kind.isEmpty()) continue;
        HtmlProblem p;
        p.kind = std::move(kind);
        p.message = std::move(r.message);
        if (r.line > 0) {
            if (starts.empty()) starts = lineStarts(utf8);
            place(p, utf8, starts, r.line, std::max(r.column, 1));
        }
        problems.push_back(std::move(p));
    }
    std::stable_sort(problems.begin(), problems.end(), [](const HtmlProblem& a, const HtmlProblem& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return problems;
}

} // namespace ts
