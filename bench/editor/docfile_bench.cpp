// Loading and saving 50 MB documents, beside iconv and dd doing the same work.
//   docfile_bench [megabytes]
#include "editor/docfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRuns = 5;

double medianMs(const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// A shell command's time, or -1 when it is not there or fails.
double commandMs(const QString& command) {
    bool failed = false;
    const double ms = medianMs([&] {
        failed |= QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}) != 0;
    });
    return failed ? -1 : ms;
}

QByteArray makeText(qsizetype size, const QByteArray& line) {
    QByteArray out;
    out.reserve(size + line.size());
    for (int n = 0; out.size() < size; ++n) out += line + QByteArray::number(n) + "\r\n";
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
}

std::string_view view(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }

void row(const char* what, double ours, const char* reference, double theirs) {
    std::printf("%-44s %8.1f ms   %-34s %8.1f ms\n", what, ours, reference, theirs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qsizetype mb = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50;
    const qsizetype size = mb << 20;
    QTemporaryDir dir;
    const QString html = dir.filePath(QStringLiteral("utf8.htm"));
    const QString cyrillic = dir.filePath(QStringLiteral("cyrillic.htm"));
    const QString legacy = dir.filePath(QStringLiteral("cp1252.htm"));
    const QString saved = dir.filePath(QStringLiteral("saved.htm"));
    writeFile(html, makeText(size, "  <TD><A HREF=\"z\xC3\xBCrich.htm\">Z\xC3\xBCrich, Stra\xC3\x9F" "e</A></TD> "));
    writeFile(cyrillic, makeText(size, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\xBC\xD0\xB8\xD1\x80 "
                                       "\xCE\x93\xCE\xB5\xCE\xB9\xCE\xAC \xF0\x9F\x98\x80 "));
    writeFile(legacy, makeText(size, "  <TD><A HREF=\"z\xFCrich.htm\">Z\xFCrich, Stra\xDF" "e \x80 \x84" "a\x93</A></TD> "));

    std::printf("%lld MB files, median of %d runs\n", static_cast<long long>(mb), kRuns);
    QFile in(html);
    in.open(QIODevice::ReadOnly);
    const QByteArray htmlBytes = in.readAll();
    in.close();
    in.setFileName(cyrillic);
    in.open(QIODevice::ReadOnly);
    const QByteArray cyrillicBytes = in.readAll();

    // Keeps the compiler from dropping the checks.
    volatile bool sink = false;
    row("isValidUtf8, HTML with umlauts", medianMs([&] { sink = ts::isValidUtf8(view(htmlBytes)); }),
        "iconv -f UTF-8 -t UTF-8", commandMs(QStringLiteral("iconv -f UTF-8 -t UTF-8 '%1' >/dev/null").arg(html)));
    row("isValidUtf8, Cyrillic and Greek", medianMs([&] { sink = ts::isValidUtf8(view(cyrillicBytes)); }),
        "iconv -f UTF-8 -t UTF-8", commandMs(QStringLiteral("iconv -f UTF-8 -t UTF-8 '%1' >/dev/null").arg(cyrillic)));

    ts::LoadedDocument doc;
    row("loadDocumentFile, UTF-8 HTML", medianMs([&] { doc = ts::loadDocumentFile(html); }), "cat",
        commandMs(QStringLiteral("cat '%1' >/dev/null").arg(html)));
    ts::LoadedDocument legacyDoc;
    row("loadDocumentFile, Windows-1252 HTML", medianMs([&] { legacyDoc = ts::loadDocumentFile(legacy); }),
        "iconv -f CP1252 -t UTF-8", commandMs(QStringLiteral("iconv -f CP1252 -t UTF-8 '%1' >/dev/null").arg(legacy)));

    ts::EncodedDocument encoded;
    row("encodeDocument, Windows-1252", medianMs([&] {
            encoded = ts::encodeDocument(view(legacyDoc.utf8), legacyDoc.format);
        }),
        "iconv -f UTF-8 -t CP1252", commandMs(QStringLiteral("iconv -f UTF-8 -t CP1252 '%1' >/dev/null").arg(html)));

    row("saveDocumentFile, UTF-8 (rename)",
        medianMs([&] { ts::saveDocumentFile(saved, ts::encodeDocument(view(doc.utf8), doc.format)); }),
        "dd conv=fsync", commandMs(QStringLiteral("dd if='%1' of='%2.dd' bs=1M conv=fsync status=none").arg(html, saved)));
    QFile::remove(saved + QStringLiteral(".dd"));
    ::link(QFile::encodeName(saved).constData(), QFile::encodeName(saved + QStringLiteral(".hard")).constData());
    row("saveDocumentFile, hard-linked (in place)",
        medianMs([&] { ts::saveDocumentFile(saved, ts::encodeDocument(view(doc.utf8), doc.format)); }),
        "cp + dd conv=notrunc,fsync",
        commandMs(QStringLiteral("cp '%1' '%1.bak' && sync '%1.bak' && dd if='%2' of='%1' bs=1M conv=notrunc,fsync "
                                 "status=none && rm '%1.bak'")
                      .arg(saved, html)));
    return sink ? 0 : 1;
}
