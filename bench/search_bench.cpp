// Times the search and Replace All on a large HTML file, in memory and in a
// real editor control, and checks that one Undo restores the text.
//
//   search_bench --generate FILE MEGABYTES
//   search_bench FILE RARE_WORD RARE_NONASCII FREQUENT_WORD REPLACEMENT [OUT_FILE]
#include "editor/accessibility.h"
#include "editor/search.h"
#include "editor/tfinddialog.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Median time of `runs` calls.
double median(int runs, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        times.push_back(msSince(t0));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A deterministic HTML document with CR LF lines; the rare words are put in
// once, near the end.
int generate(const char* path, long megabytes) {
    static const char* words[] = {
        "der",    "die",     "das",    "und",    "oder",    "Haus",     "Straße", "Zürich", "München", "Größe",
        "für",    "über",    "mit",    "von",    "nach",    "Tabelle",  "Seite",  "Bild",   "Text",    "Link",
        "Grund",  "Kunde",   "Stunde", "the",    "and",     "with",     "page",   "table",  "data",    "café",
        "naïve",  "Ölpreis", "Äpfel",  "Woche",  "Zeitung", "Programm", "Fenster", "Datei", "Menü",    "Tag",
        "Absatz", "Zeile",   "und",    "Schrift", "Farbe",  "Rahmen",   "Liste",  "Formular", "Eingabe", "Knopf"};
    const size_t wordCount = sizeof words / sizeof *words;
    const size_t target = size_t(megabytes) * 1000 * 1000;
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    auto next = [&](size_t n) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return size_t(state % n);
    };
    std::string doc = "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
                      "<TITLE>Testseite</TITLE>\r\n</HEAD>\r\n<BODY>\r\n";
    doc.reserve(target + 1000);
    bool rarePlaced = false;
    while (doc.size() < target) {
        if (!rarePlaced && doc.size() > target / 100 * 99) {
            doc += "<P>Im Aquarium schwimmt ein Quastenflosser, daneben liegen Weißwürste.</P>\r\n";
            rarePlaced = true;
        }
        const size_t kind = next(10);
        std::string sentence;
        for (size_t i = 0, n = 6 + next(8); i < n; ++i) {
            if (i) sentence += ' ';
            sentence += words[next(wordCount)];
        }
        if (kind == 0) {
            doc += "<H2>" + sentence + "</H2>\r\n";
        } else if (kind == 1) {
            doc += "  <TR><TD ALIGN=\"LEFT\">" + sentence + "</TD><TD>" + std::to_string(next(10000)) + "</TD></TR>\r\n";
        } else if (kind == 2) {
            doc += "<A HREF=\"seite" + std::to_string(next(500)) + ".htm\">" + sentence + "</A><BR>\r\n";
        } else {
            doc += "<P>" + sentence + ".</P>\r\n";
        }
    }
    doc += "</BODY>\r\n</HTML>\r\n";
    std::ofstream out(path, std::ios::binary);
    out.write(doc.data(), std::streamsize(doc.size()));
    return out ? 0 : 1;
}

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QAccessibleInterface* plainAccessible(const QString& key, QObject* object) {
    // QScintilla's own accessibility object counts characters from the start
    // of the text on every edit; a plain widget interface costs nothing.
    if ((key == QLatin1String("QsciScintilla") || key == QLatin1String("QsciScintillaBase")) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    return nullptr;
}

// Reference times in ms from the environment, set by search_bench.sh.
double reference(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::atof(v) : 0;
}

std::string ratio(double ms, double ref) {
    if (ref <= 0) return "";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%5.2f x ref  ", ms / ref);
    return buf;
}

long send(QsciScintilla& e, unsigned msg, unsigned long w = 0, long l = 0) { return e.SendScintilla(msg, w, l); }

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--generate") == 0) return generate(argv[2], std::atol(argv[3]));
    if (argc < 6) {
        std::fprintf(stderr, "usage: %s FILE RARE RARE_NONASCII FREQUENT REPLACEMENT [OUT]\n"
                             "       %s --generate FILE MEGABYTES\n", argv[0], argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QAccessible::installFactory(plainAccessible);
    QApplication app(argc, argv);
    using namespace ts::search;

    const auto t0 = Clock::now();
    const std::string text = readFile(argv[1]);
    std::printf("read %.1f MB in %.0f ms\n", double(text.size()) / 1e6, msSince(t0));
    const QString rare = QString::fromUtf8(argv[2]);
    const QString rareNonAscii = QString::fromUtf8(argv[3]);
    const QString frequent = QString::fromUtf8(argv[4]);
    const QString replacement = QString::fromUtf8(argv[5]);

    const double refGrep = reference("REF_GREP"), refGrepI = reference("REF_GREP_I"),
                 refGrepINonAscii = reference("REF_GREP_I_NONASCII"),
                 refSed = reference("REF_SED");
    struct Row {
        const char* what;
        QString pattern;
        Options options;
        double ref;
    };
    const Row rows[] = {
        {"find, match case", rare, {true, true, false}, refGrep},
        {"find, ignore case", rare.toLower(), {true, false, false}, refGrepI},
        {"find, whole word, match case", rare, {true, true, true}, refGrep},
        {"find, whole word, ignore case", rare.toLower(), {true, false, true}, refGrepI},
        {"find, ignore case, non-ASCII", rareNonAscii.toLower(), {true, false, false}, refGrepINonAscii},
    };
    bool allFound = true;
    for (const Row& r : rows) {
        std::optional<Range> found;
        const double ms = median(5, [&] { found = find(text, Range{0, 0}, r.pattern, r.options); });
        std::printf("%-34s %8.1f ms  %s(%s at byte %zu)\n", r.what, ms, ratio(ms, r.ref).c_str(),
                    found ? "found" : "NOT FOUND", found ? found->start : size_t(0));
        allFound = allFound && found;
    }

    ReplaceAllPlan plan;
    const double planMs =
        median(3, [&] { plan = planReplaceAll(text, Range{0, 0}, frequent, replacement, Options{true, true, false}); });
    std::printf("%-34s %8.1f ms  %s(%zu replacements)\n", "replace all, computed in memory", planMs,
                ratio(planMs, refSed).c_str(), plan.count);

    // The same in a real editor control holding the text, with undo on.
    QsciScintilla editor;
    send(editor, QsciScintillaBase::SCI_SETCODEPAGE, QsciScintillaBase::SC_CP_UTF8);
    auto t1 = Clock::now();
    send(editor, QsciScintillaBase::SCI_APPENDTEXT, text.size(), reinterpret_cast<long>(text.data()));
    send(editor, QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    send(editor, QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    std::printf("%-34s %8.1f ms\n", "load the editor (not compared)", msSince(t1));

    auto editorText = [&] {
        const char* p = reinterpret_cast<const char*>(send(editor, QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        return std::string_view(p, size_t(send(editor, QsciScintillaBase::SCI_GETLENGTH)));
    };

    t1 = Clock::now();
    const auto inEditor = find(editorText(), Range{0, 0}, rare, Options{true, true, false});
    std::printf("%-34s %8.1f ms  (%s)\n", "find in the editor, match case", msSince(t1), inEditor ? "found" : "NOT FOUND");

    // Replace All as one edit, with QScintilla's modification events as they
    // come and with them held back for the edit (QScintilla turns the removed
    // and the inserted text of every notified edit into a QString).
    bool allSame = true, allRestored = true, allOneStep = true;
    for (const bool quiet : {false, true}) {
        t1 = Clock::now();
        ReplaceAllPlan edit =
            planReplaceAll(editorText(), Range{0, 0}, frequent, replacement, Options{true, true, false});
        const double planInEditor = msSince(t1);
        const auto t2 = Clock::now();
        const long mask = send(editor, QsciScintillaBase::SCI_GETMODEVENTMASK);
        if (quiet) send(editor, QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
        send(editor, QsciScintillaBase::SCI_SETTARGETRANGE, edit.replaced.start, long(edit.replaced.end));
        send(editor, QsciScintillaBase::SCI_REPLACETARGET, edit.replacement.size(),
             reinterpret_cast<long>(edit.replacement.data()));
        if (quiet) send(editor, QsciScintillaBase::SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask));
        send(editor, QsciScintillaBase::SCI_SETSEL, edit.finalSelection.start, long(edit.finalSelection.end));
        const double applyMs = msSince(t2);
        const double total = planInEditor + applyMs;
        std::printf("%-34s %8.1f ms  %s(search %.1f + one edit %.1f)\n",
                    quiet ? "replace all in editor, events held" : "replace all in the editor, undoable", total,
                    ratio(total, refSed).c_str(), planInEditor, applyMs);

        const std::string_view after = editorText();
        const std::string_view before(text);
        const bool same = after.size() == edit.replaced.start + edit.replacement.size() + (text.size() - edit.replaced.end) &&
                          after.substr(0, edit.replaced.start) == before.substr(0, edit.replaced.start) &&
                          after.substr(edit.replaced.start, edit.replacement.size()) == edit.replacement &&
                          after.substr(edit.replaced.start + edit.replacement.size()) == before.substr(edit.replaced.end);
        std::printf("  editor text is the planned result: %s\n", same ? "yes" : "NO");
        if (argc > 6 && quiet) {
            std::ofstream out(argv[6], std::ios::binary);
            out.write(after.data(), std::streamsize(after.size()));
        }

        t1 = Clock::now();
        send(editor, QsciScintillaBase::SCI_UNDO);
        const double undoMs = msSince(t1);
        const bool restored = editorText() == text;
        const bool oneStep = send(editor, QsciScintillaBase::SCI_CANUNDO) == 0;
        std::printf("%-34s %8.1f ms  (text restored: %s, one undo step: %s)\n", "  undo", undoMs,
                    restored ? "yes" : "NO", oneStep ? "yes" : "NO");
        allSame = allSame && same;
        allRestored = allRestored && restored;
        allOneStep = allOneStep && oneStep;
    }
    // The program's own Replace All: the document window's replace dialog
    // pressed on its editor, undo recorded, status bar refreshed.
    {
        THTML doc;
        doc.RichEdit()->SetDocumentBytes(QByteArray::fromRawData(text.data(), qsizetype(text.size())));
        doc.ReplaceDialog1()->findChild<QLineEdit*>(QStringLiteral("eFindText"))->setText(frequent);
        doc.ReplaceDialog1()->findChild<QLineEdit*>(QStringLiteral("eReplaceText"))->setText(replacement);
        doc.ReplaceDialog1()->findChild<QCheckBox*>(QStringLiteral("cbMatchCase"))->setChecked(true);
        t1 = Clock::now();
        doc.ReplaceDialog1()->findChild<QPushButton*>(QStringLiteral("bbReplaceAll"))->click();
        doc.PosChange();
        const double ms = msSince(t1);
        const std::string_view after = doc.RichEdit()->DocumentBytes();
        const bool same = after.size() == text.size() - (plan.replaced.end - plan.replaced.start) + plan.replacement.size();
        std::printf("%-34s %8.1f ms  %s(target <= 1 x sed; same length as planned: %s)\n",
                    "Replace All button of a document", ms, ratio(ms, refSed).c_str(), same ? "yes" : "NO");
        t1 = Clock::now();
        doc.RichEdit()->undo();
        const bool restored = doc.RichEdit()->DocumentBytes() == std::string_view(text);
        std::printf("%-34s %8.1f ms  (text restored: %s)\n", "  undo", msSince(t1), restored ? "yes" : "NO");
        allSame = allSame && same;
        allRestored = allRestored && restored;
    }
    return allSame && allRestored && allOneStep && allFound && inEditor && plan.count > 0 ? 0 : 1;
}
