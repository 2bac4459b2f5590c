#include "editor/htmlcheck.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <gtest/gtest.h>

using ts::HtmlProblem;

namespace {

// An HTML5 page with the body's markup from line 3 on.
QByteArray page(const QByteArray& body, const QByteArray& eol = "\n") {
    return "<!DOCTYPE html>" + eol + "<html><head><title>t</title></head><body>" + eol + body + eol +
           "</body></html>" + eol;
}

std::vector<HtmlProblem> check(const QByteArray& text) {
    return ts::checkHtml(std::string_view(text.constData(), size_t(text.size())));
}

struct Row {
    int line;
    int column;
    const char* kind;
    const char* message;
    const char* underlined; // the text under the wavy line
};

std::string describe(const QByteArray& text, const std::vector<HtmlProblem>& problems) {
    std::string s;
    for (const HtmlProblem& p : problems)
        s += std::to_string(p.line) + ":" + std::to_string(p.column) + " " + p.kind.toStdString() + " " +
             p.message.toStdString() + " [" + text.mid(p.from, p.to - p.from).toStdString() + "]\n";
    return s;
}

std::string describe(const std::vector<Row>& rows) {
    std::string s;
    for (const Row& r : rows)
        s += std::to_string(r.line) + ":" + std::to_string(r.column) + " " + r.kind + " " + r.message + " [" +
             r.underlined + "]\n";
    return s;
}

} // namespace

TEST(HtmlCheck, TheDocumentTypeChoosesTheRulesAndNoneMeansHtml5) {
    struct Case {
        const char* doctype;
        std::vector<Row> rows;
    } cases[] = {
        {"",
         {{1, 1, "Warning", "missing <!DOCTYPE> declaration", "<html>"},
          {2, 1, "Warning", "<center> element removed from HTML5", "<center>"}}},
        {"<!DOCTYPE html>\n", {{3, 1, "Warning", "<center> element removed from HTML5", "<center>"}}},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
         "\"http://www.w3.org/TR/html4/loose.dtd\">\n",
         {}},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doctype);
        const QByteArray text = QByteArray(c.doctype) +
                                "<html><head><title>t</title></head><body>\n<center>x</center>\n</body></html>\n";
        EXPECT_EQ(describe(text, check(text)), describe(c.rows));
    }
}

TEST(HtmlCheck, ColumnsCountCharactersAfterTabsAndNonAsciiText) {
    const char* prefixes[] = {"",           "\t",         "x\t",       "\t\t",
                              "ääää",       "€ €",        "\xF0\x9F\x98\x80", "\tä\t€x",
                              "12345678\tz", "<b>a</b>\t", "<b\tclass=\"x\">ä</b>\t"};
    const char* breaks[] = {"\n", "\r\n", "\r"};
    for (const char* eol : breaks) {
        for (const char* prefix : prefixes) {
            SCOPED_TRACE(QByteArray(prefix).toPercentEncoding().toStdString() + " " +
                         QByteArray(eol).toPercentEncoding().toStdString());
            const QByteArray text = page(QByteArray(prefix) + "<p foo=\"1\">x</p>", eol);
            const std::vector<HtmlProblem> problems = check(text);
            ASSERT_EQ(problems.size(), 1u) << describe(text, problems);
            EXPECT_EQ(problems[0].line, 3);
            // One column per code point, a tab counting one.
            EXPECT_EQ(problems[0].column, int(QString::fromUtf8(prefix).toUcs4().size()) + 1);
            EXPECT_EQ(text.mid(problems[0].from, problems[0].to - problems[0].from), QByteArray("<p foo=\"1\">"));
        }
    }
}

TEST(HtmlCheck, TheControlFollowsTheReadingAndStopsIt) {
    QByteArray body;
    for (int i = 0; i < 2000; ++i) body += "<p>a line of text in a page of some size</p>\n";
    const QByteArray text = page(body + "</span>");
    const std::string_view bytes(text.constData(), size_t(text.size()));

    ts::HtmlCheckControl whole;
    EXPECT_EQ(ts::checkHtml(bytes, &whole).size(), 1u);
    EXPECT_EQ(whole.bytesRead.load(), text.size());

    ts::HtmlCheckControl stopped;
    stopped.cancel = true;
    EXPECT_TRUE(ts::checkHtml(bytes, &stopped).empty());
    EXPECT_EQ(stopped.bytesRead.load(), 0);
}
