#include "app/linemarkers.h"

#include <gtest/gtest.h>

namespace {

// "@n" in an expected text stands for the marker of line n.
QByteArray marked(QByteArray text) {
    for (int line = 9; line >= 0; --line)
        text.replace("@" + QByteArray::number(line),
                     " " + QByteArray(ts::kLineAttribute) + "=\"" + QByteArray::number(line) + "\"");
    return text;
}

TEST(LineMarkers, MarkTheFirstStartTagOfEachLineAndNothingABrowserReadsAsText) {
    const struct {
        const char* why;
        QByteArray in, out;
    } cases[] = {
        {"one per line", "<p>a<b>b</b>\n<p>c", "<p@0>a<b>b</b>\n<p@1>c"},
        {"every kind of line break", "<a>\r\n<b>\r<i>\n\n<u/>", "<a@0>\r\n<b@1>\r<i@2>\n\n<u@4/>"},
        {"after the name, whatever follows", "<br/><HR\tsize=2><img\nsrc=x>", "<br@0/><HR\tsize=2><img\nsrc=x>"},
        {"a tag across lines counts its breaks", "<img\nalt=x>\n<p>", "<img@0\nalt=x>\n<p@2>"},
        {"quoted values hide markup", "<a title='<b>\n'>x\n<p>", "<a@0 title='<b>\n'>x\n<p@2>"},
        {"a quote only opens a value after =", "<a b\"c>\n<p>", "<a@0 b\"c>\n<p@1>"},
        {"comments", "<!-- <p>\n<p> -->\n<p>", "<!-- <p>\n<p> -->\n<p@2>"},
        {"declarations and end tags", "<!DOCTYPE html>\n</div>\n<?x <p>?>\n<p>",
         "<!DOCTYPE html>\n</div>\n<?x <p>?>\n<p@3>"},
        {"script text", "<script>if (a <b) x='</p>'\n<i></script>\n<p>",
         "<script@0>if (a <b) x='</p>'\n<i></script>\n<p@2>"},
        {"end tag of raw text in any case", "<STYLE>\n<b></style >\n<p>", "<STYLE@0>\n<b></style >\n<p@2>"},
        {"a longer name does not end it", "<title>\n</titles><b>\n</title><i>", "<title@0>\n</titles><b>\n</title><i@2>"},
        {"textarea", "<textarea>\n<b></textarea><i>", "<textarea@0>\n<b></textarea><i@1>"},
        {"plaintext to the end", "<plaintext>\n<b>\n<i>", "<plaintext@0>\n<b>\n<i>"},
        {"a '<' that starts no tag", "a < b\n<3 <p>", "a < b\n<3 <p@1>"},
        {"half-typed tag at the end", "<p>x\n<b", "<p@0>x\n<b@1"},
        {"unclosed quote to the end", "<a href=\"x\n<p>", "<a@0 href=\"x\n<p>"},
        {"unclosed raw text", "<script>\n<p>", "<script@0>\n<p>"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ts::withLineMarkers(c.in), marked(c.out)) << c.why;
}

} // namespace
