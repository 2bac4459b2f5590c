#include "editor/linkcheck.h"

#include "editor/docfile.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cstring>
#include <optional>

namespace ts::linkcheck {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

// Offsets where lines start, for the line of any offset.
class Lines {
public:
    explicit Lines(std::string_view t) {
        m_starts.push_back(0);
        for (size_t i = 0; i < t.size(); ++i)
            if (t[i] == '\n' || (t[i] == '\r' && (i + 1 >= t.size() || t[i + 1] != '\n'))) m_starts.push_back(i + 1);
    }
    qint64 at(size_t offset) const {
        return qint64(std::upper_bound(m_starts.begin(), m_starts.end(), offset) - m_starts.begin()) - 1;
    }

private:
    std::vector<size_t> m_starts;
};

size_t findFrom(std::string_view t, size_t from, std::string_view what) {
    const size_t p = t.find(what, from);
    return p == std::string_view::npos ? t.size() : p;
}

// The end of a raw-text element's content (script, style): its closing tag.
size_t closingTag(std::string_view t, size_t from, std::string_view name) {
    for (size_t p = t.find("</", from); p != std::string_view::npos; p = t.find("</", p + 2))
        if (lower(t.substr(p + 2, name.size())) == name) return p;
    return t.size();
}

QString attributeText(std::string_view v) {
    QString s = QString::fromUtf8(v.data(), qsizetype(v.size()));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s.trimmed();
}

} // namespace

PageScan scanPage(std::string_view t) {
    PageScan scan;
    const Lines lines(t);
    const size_t n = t.size();
    size_t i = 0;
    while (i < n) {
        const size_t lt = t.find('<', i);
        if (lt == std::string_view::npos) break;
        if (t.substr(lt, 4) == "<!--") {
            i = findFrom(t, lt + 4, "-->") + 3;
            continue;
        }
        if (lt + 1 >= n || !isAlpha(t[lt + 1])) {
            // Closing tags, declarations, processing instructions and stray '<' hold no links.
            i = lt + 1;
            continue;
        }
        size_t p = lt + 1;
        while (p < n && !isSpace(t[p]) && t[p] != '>' && t[p] != '/') ++p;
        const std::string tag = lower(t.substr(lt + 1, p - lt - 1));
        // Attributes up to the tag's '>'.
        while (p < n && t[p] != '>') {
            if (isSpace(t[p]) || t[p] == '/') {
                ++p;
                continue;
            }
            const size_t nameStart = p;
            while (p < n && !isSpace(t[p]) && t[p] != '=' && t[p] != '>' && t[p] != '/') ++p;
            const std::string name = lower(t.substr(nameStart, p - nameStart));
            if (p == nameStart) {
                ++p;
                continue;
            }
            size_t q = p;
            while (q < n && isSpace(t[q])) ++q;
            if (q >= n || t[q] != '=') continue; // an attribute without a value
            ++q;
            while (q < n && isSpace(t[q])) ++q;
            size_t vs = q, ve = q;
            if (q < n && (t[q] == '"' || t[q] == '\'')) {
                vs = q + 1;
                ve = t.find(t[q], vs);
                if (ve == std::string_view::npos) ve = n;
                p = std::min(ve + 1, n);
            } else {
                while (ve < n && !isSpace(t[ve]) && t[ve] != '>') ++ve;
                p = ve;
            }
            const std::string_view value = t.substr(vs, ve - vs);
            if (name == "name" || name == "id") {
                scan.anchors.insert(attributeText(value));
            } else if (name == "href" && tag == "base") {
                if (scan.base.isEmpty()) scan.base = attributeText(value);
            } else if (name == "href" || name == "src" || name == "background" || name == "action") {
                scan.links.push_back({attributeText(value), lines.at(vs)});
            }
        }
        i = p + 1;
        if (tag == "script" || tag == "style") i = closingTag(t, i, tag);
    }
    return scan;
}

namespace {

const QRegularExpression& schemePattern() {
    static const QRegularExpression re(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    return re;
}

// A part of a link as a file name: percent-escapes give the name's bytes.
QString decodedPath(const QString& part) { return QFile::decodeName(QByteArray::fromPercentEncoding(part.toUtf8())); }

class Checker {
public:
    Checker(const QString& root, const QHash<QString, QByteArray>& texts) : m_root(QDir::cleanPath(root)), m_texts(texts) {}

    void checkPage(const QString& page, std::vector<Problem>& problems) {
        const std::optional<PageScan> scan = scanOf(page);
        if (!scan) return;
        // Where relative names start: the page's folder, or its BASE.
        QString baseDir = QFileInfo(page).absolutePath();
        QString baseFile = page;
        bool remoteBase = false;
        if (!scan->base.isEmpty()) {
            const QString base = scan->base;
            const QRegularExpressionMatch m = schemePattern().match(base);
            if (m.hasMatch() && m.captured(1).compare(QLatin1String("file"), Qt::CaseInsensitive) != 0) {
                remoteBase = true;
            } else {
                const QString path = m.hasMatch() ? QUrl(base).toLocalFile() : resolve(baseDir, stripped(base));
                if (base.endsWith(QLatin1Char('/'))) {
                    baseDir = QDir::cleanPath(path);
                    baseFile = page;
                } else {
                    baseDir = QFileInfo(path).absolutePath();
                    baseFile = path;
                }
            }
        }
        for (const Link& link : scan->links) {
            const QString& v = link.value;
            if (v.isEmpty()) continue;
            const QRegularExpressionMatch m = schemePattern().match(v);
            const bool fileScheme =
                m.hasMatch() && m.captured(1).compare(QLatin1String("file"), Qt::CaseInsensitive) == 0;
            if ((m.hasMatch() && !fileScheme) || v.startsWith(QLatin1String("//")) || (remoteBase && !fileScheme)) {
                notChecked(page, link);
                continue;
            }
            const qsizetype hash = v.indexOf(QLatin1Char('#'));
            const QString pathPart = stripped(hash < 0 ? v : v.left(hash));
            const QString fragment =
                hash < 0 ? QString() : QString::fromUtf8(QByteArray::fromPercentEncoding(v.mid(hash + 1).toUtf8()));
            QString target;
            if (fileScheme) target = QUrl(v.left(hash < 0 ? v.size() : hash)).toLocalFile();
            else if (pathPart.isEmpty()) target = baseFile;
            else target = resolve(baseDir, pathPart);
            const QFileInfo info(target);
            const bool folderLink = pathPart.endsWith(QLatin1Char('/'));
            if (!info.exists() || (folderLink && !info.isDir())) {
                problems.push_back({page, link.line, v, QString::fromLatin1(kMissingFile)});
                continue;
            }
            if (fragment.isEmpty() || !info.isFile() || !isPage(target)) continue;
            const std::optional<PageScan> targetScan = scanOf(QDir::cleanPath(info.absoluteFilePath()));
            if (targetScan && !targetScan->anchors.contains(fragment))
                problems.push_back({page, link.line, v, QString::fromLatin1(kMissingAnchor).arg(fragment)});
        }
    }

    void appendNotChecked(std::vector<Problem>& problems) const {
        problems.insert(problems.end(), m_notChecked.begin(), m_notChecked.end());
    }

private:
    static bool isPage(const QString& path) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        return suffix == QLatin1String("htm") || suffix == QLatin1String("html");
    }

    // The name without a query; a fragment is cut before.
    static QString stripped(const QString& part) {
        const qsizetype q = part.indexOf(QLatin1Char('?'));
        return q < 0 ? part : part.left(q);
    }

    QString resolve(const QString& dir, const QString& part) const {
        const QString name = decodedPath(part);
        if (name.startsWith(QLatin1Char('/'))) return QDir::cleanPath(m_root + name);
        return QDir::cleanPath(dir + QLatin1Char('/') + name);
    }

    void notChecked(const QString& page, const Link& link) {
        if (m_seenUnchecked.contains(link.value)) return;
        m_seenUnchecked.insert(link.value);
        m_notChecked.push_back({page, link.line, link.value, QString::fromLatin1(kNotChecked)});
    }

    std::optional<PageScan> scanOf(const QString& path) {
        if (const auto it = m_scans.find(path); it != m_scans.end()) return *it;
        std::optional<PageScan> scan;
        if (const auto text = m_texts.find(path); text != m_texts.end()) {
            scan = scanPage(std::string_view(text->constData(), size_t(text->size())));
        } else {
            try {
                const LoadedDocument doc = loadDocumentFile(path);
                scan = scanPage(std::string_view(doc.utf8.constData(), size_t(doc.utf8.size())));
            } catch (const TError&) {
                // A page that cannot be read has no links to check and no anchors to find.
            }
        }
        m_scans.insert(path, scan);
        return scan;
    }

    QString m_root;
    const QHash<QString, QByteArray>& m_texts;
    QHash<QString, std::optional<PageScan>> m_scans;
    QSet<QString> m_seenUnchecked;
    std::vector<Problem> m_notChecked;
};

} // namespace

std::vector<Problem> checkPages(const QStringList& pages, const QString& siteRoot,
                                const QHash<QString, QByteArray>& editorTexts) {
    std::vector<Problem> problems;
    Checker checker(siteRoot, editorTexts);
    for (const QString& page : pages) checker.checkPage(QDir::cleanPath(QFileInfo(page).absoluteFilePath()), problems);
    checker.appendNotChecked(problems);
    return problems;
}

} // namespace ts::linkcheck
