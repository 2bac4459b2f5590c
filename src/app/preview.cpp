#include "app/preview.h"

#include "editor/docfile.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/desktop.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <cstring>

namespace ts {

namespace {

bool isNameChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// Whether the tag name starting at p is `name` (lower case), case-insensitively.
bool tagNameIs(const QByteArray& b, qsizetype p, const char* name) {
    const qsizetype len = qsizetype(std::strlen(name));
    if (p + len > b.size()) return false;
    for (qsizetype k = 0; k < len; ++k) {
        char c = b[p + k];
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
        if (c != name[k]) return false;
    }
    return p + len == b.size() || !isNameChar(b[p + len]);
}

bool containsHref(QByteArrayView tag) { return tag.toByteArray().toLower().contains("href"); }

} // namespace

QByteArray withBaseElement(const QByteArray& body, const QByteArray& baseHref) {
    qsizetype headEnd = -1, doctypeEnd = -1;
    bool firstTag = true;
    for (qsizetype i = body.indexOf('<'); i >= 0; i = body.indexOf('<', i)) {
        if (body.mid(i, 4) == "<!--") {
            const qsizetype close = body.indexOf("-->", i + 4);
            if (close < 0) break;
            i = close + 3;
            continue;
        }
        const qsizetype close = body.indexOf('>', i + 1);
        if (close < 0) break;
        if (firstTag && body.mid(i, 2) == "<!" && tagNameIs(body, i + 2, "doctype")) doctypeEnd = close + 1;
        if (tagNameIs(body, i + 1, "head") && headEnd < 0) headEnd = close + 1;
        if (tagNameIs(body, i + 1, "base") && containsHref(QByteArrayView(body).sliced(i, close - i)))
            return body;
        firstTag = false;
        ++i;
    }
    QByteArray href = baseHref;
    href.replace("&", "&amp;").replace("\"", "%22");
    const QByteArray element = "<BASE HREF=\"" + href + "\">";
    const qsizetype at = headEnd >= 0 ? headEnd : doctypeEnd >= 0 ? doctypeEnd : 0;
    QByteArray out = body;
    out.insert(at, element);
    return out;
}

TPreview::TPreview() = default;
TPreview::~TPreview() = default;

QString TPreview::Folder() const { return m_dir ? m_dir->path() : QString(); }

QString TPreview::WriteCopy(const THTML& doc) {
    if (!m_dir) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty() || !QDir().mkpath(base)) base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QDir().mkpath(base);
        auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/tagsmith-preview-XXXXXX"));
        if (!dir->isValid())
            throw TError(QStringLiteral("Cannot create a folder for the preview in \u00BB%1\u00AB.").arg(base));
        m_dir = std::move(dir);
    }

    const bool untitled = doc.FileName() == untitledName();
    const QFileInfo info(doc.FileName());
    QString name = untitled ? QStringLiteral("noname.html") : info.fileName();
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != QLatin1String("htm") && suffix != QLatin1String("html")) name += QStringLiteral(".html");
    Copy copy = m_copies.value(&doc);
    if (copy.number == 0) {
        copy.number = ++m_count;
        QObject::connect(&doc, &QObject::destroyed, &m_watch, [this, key = &doc] { forget(key); });
    }
    // Saved under another name since: the old copy goes.
    const QString path = m_dir->filePath(QString::number(copy.number) + QLatin1Char('-') + name);
    if (!copy.path.isEmpty() && copy.path != path) QFile::remove(copy.path);
    copy.path = path;
    m_copies.insert(&doc, copy);

    const EncodedDocument encoded = encodeDocument(doc.RichEdit()->DocumentBytes(), doc.Format());
    QByteArray body = encoded.body;
    if (!untitled) {
        const QString folder = info.absolutePath();
        body = withBaseElement(body, QUrl::fromLocalFile(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
                                         .toEncoded());
    }

    // Replaced whole, so that a browser reading the copy meanwhile gets one version or the other.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(encoded.bom) != encoded.bom.size() || f.write(body) != body.size() ||
        !f.commit())
        throw TError(QStringLiteral("Cannot write the preview copy \u00BB%1\u00AB: %2").arg(path, f.errorString()));
    return path;
}

void TPreview::forget(const THTML* doc) {
    const auto it = m_copies.constFind(doc);
    if (it == m_copies.cend()) return;
    QFile::remove(it->path);
    m_copies.erase(it);
}

void TPreview::Show(const THTML& doc, const QString& browser) {
    // A copy that no browser shows stays only when an earlier preview left it.
    const bool hadCopy = QFileInfo::exists(m_copies.value(&doc).path);
    const QString path = WriteCopy(doc);
    try {
        openInBrowser(QUrl::fromLocalFile(path), browser);
    } catch (...) {
        if (!hadCopy) QFile::remove(path);
        throw;
    }
}

void openInBrowser(const QUrl& url, const QString& browser) {
    if (browser.isEmpty()) {
        if (desktop().openUrl(url)) return;
        throw TError(QStringLiteral("The default browser cannot be started."));
    }
    // A path only where it says all the address says.
    const bool path = url.isLocalFile() && !url.hasQuery() && !url.hasFragment();
    if (QProcess::startDetached(browser, {path ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)})) return;
    throw TError(QStringLiteral("The browser \u00BB%1\u00AB cannot be started.").arg(browser));
}

} // namespace ts
