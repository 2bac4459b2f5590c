#include "editor/sitesearch.h"

#include "platform/terror.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <cstring>

namespace ts::sitesearch {

QStringList listFiles(const QString& folder, const QString& masks, bool subfolders) {
    QStringList filters;
    for (const QString& m : masks.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!m.trimmed().isEmpty()) filters << m.trimmed();
    if (filters.isEmpty()) filters << QStringLiteral("*");
    QStringList files;
    QDirIterator it(folder, filters, QDir::Files | QDir::NoDotAndDotDot,
                    subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) files << it.next();
    // Folder by folder: the files of a folder before those of its subfolders.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const qsizetype sa = a.lastIndexOf(QLatin1Char('/')), sb = b.lastIndexOf(QLatin1Char('/'));
        const int byFolder = QStringView(a).left(sa).compare(QStringView(b).left(sb), Qt::CaseInsensitive);
        if (byFolder != 0) return byFolder < 0;
        const int byName = QStringView(a).mid(sa).compare(QStringView(b).mid(sb), Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a < b;
    });
    return files;
}

namespace {

// Enough of a long line to show the match in context.
constexpr size_t kContext = 160;

QString lineAround(std::string_view text, size_t lineStart, search::Range match) {
    size_t end = match.end;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const size_t from = match.start - lineStart > kContext ? match.start - kContext : lineStart;
    const size_t to = end - match.end > kContext ? match.end + kContext : end;
    QString s = QString::fromUtf8(text.data() + from, qsizetype(to - from));
    if (from > lineStart) s.prepend(QStringLiteral("\u2026"));
    if (to < end) s.append(QStringLiteral("\u2026"));
    return s;
}

bool binaryStart(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(8192).contains('\0');
}

} // namespace

std::vector<Match> matchesIn(std::string_view text, const QString& pattern, const search::Options& o) {
    std::vector<Match> out;
    size_t pos = 0, lineStart = 0;
    qint64 line = 0;
    for (const search::Range& r : search::findAll(text, pattern, o)) {
        for (; pos < r.start; ++pos) {
            const char c = text[pos];
            if (c == '\n' || (c == '\r' && (pos + 1 >= text.size() || text[pos + 1] != '\n'))) {
                ++line;
                lineStart = pos + 1;
            }
        }
        out.push_back({line, r, lineAround(text, lineStart, r)});
    }
    return out;
}

FileResult searchFile(const QString& path, const QString& pattern, const search::Options& o) {
    FileResult result;
    result.path = path;
    try {
        const LoadedDocument doc = loadDocumentFile(path);
        result.identity = doc.identity;
        result.matches = matchesIn(std::string_view(doc.utf8.constData(), size_t(doc.utf8.size())), pattern, o);
    } catch (const TError& e) {
        if (binaryStart(path)) {
            result.outcome = Outcome::Binary;
        } else {
            result.outcome = Outcome::Unreadable;
            result.reason = e.message();
        }
    }
    return result;
}

std::string replaceRanges(std::string_view text, const std::vector<search::Range>& ranges,
                          std::string_view replacement) {
    std::string out;
    out.reserve(text.size() + ranges.size() * replacement.size());
    size_t copied = 0;
    for (const search::Range& r : ranges) {
        out.append(text.substr(copied, r.start - copied));
        out.append(replacement);
        copied = r.end;
    }
    out.append(text.substr(copied));
    return out;
}

ReplaceResult replaceInFile(const FileResult& searched, const QString& pattern, const QString& replacement,
                            const search::Options& o) {
    ReplaceResult result;
    result.path = searched.path;
    try {
        const LoadedDocument doc = loadDocumentFile(searched.path);
        const std::string_view text(doc.utf8.constData(), size_t(doc.utf8.size()));
        const std::vector<search::Range> ranges = search::findAll(text, pattern, o);
        if (!doc.identity.same(searched.identity) || ranges.size() != searched.matches.size()) {
            result.reason = QStringLiteral("Skipped: the file has changed since the search.");
            return result;
        }
        if (ranges.empty()) return result;
        const QByteArray with = replacement.toUtf8();
        const std::string changed = replaceRanges(text, ranges, std::string_view(with.constData(), size_t(with.size())));
        const EncodedDocument encoded = encodeDocument(changed, doc.format);
        if (!encoded.unmappable.isEmpty()) {
            result.reason = QStringLiteral("Skipped: Windows-1252, the file's encoding, cannot hold the replacement.");
            return result;
        }
        saveDocumentFile(searched.path, encoded);
        result.count = int(ranges.size());
    } catch (const TError& e) {
        result.count = 0;
        result.reason = QStringLiteral("Skipped: ") + e.message();
    }
    return result;
}

} // namespace ts::sitesearch
