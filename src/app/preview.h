#pragma once
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

class QTemporaryDir;
class QUrl;
class THTML;

namespace ts {

// The document's bytes with <BASE HREF="baseHref"> added, so that relative
// links resolve from the document's own folder: after the HEAD start tag, or
// else after a leading document-type line (before it a browser would ignore
// that line), or else at the start. Unchanged when the document has a BASE
// element with an HREF of its own, which the browser would follow anyway.
QByteArray withBaseElement(const QByteArray& body, const QByteArray& baseHref);

// Opens the address in the program `browser`, or with the desktop's opener
// when that is empty; the program gets a local file as its path. Throws
// TError when nothing starts.
void openInBrowser(const QUrl& url, const QString& browser);

// Shows documents in a browser through temporary copies, one per document,
// in a folder of their own in the user's runtime (or cache) folder. A copy
// goes with its document's window; the folder with this object when the
// program ends.
class TPreview {
public:
    TPreview();
    ~TPreview();

    // Writes the bytes a Save would write now, plus the BASE element, to the
    // document's copy (replacing the one of its last preview) and gives its
    // path. The document is not touched.
    QString WriteCopy(const THTML& doc);
    // Writes the copy and opens it in `browser`, or in the desktop's default
    // browser when that is empty. Throws TError when no browser starts.
    void Show(const THTML& doc, const QString& browser);
    // The folder of the copies; empty before the first one.
    QString Folder() const;

private:
    struct Copy {
        int number = 0;
        QString path;
    };
    void forget(const THTML* doc);

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_count = 0;
    QHash<const THTML*, Copy> m_copies;
    // Its end ends the watch on the documents' windows.
    QObject m_watch;
};

} // namespace ts
