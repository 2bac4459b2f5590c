#pragma once
#include "platform/files.h"
#include "platform/text.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <string_view>

class QWidget;

// Reading and writing document files without losing a byte.
//
// The editor holds the text as UTF-8 with the file's line breaks unchanged.
// A file that is valid UTF-8 (with or without a byte-order mark) is handed to
// the editor as it is; any other file is read as Windows-1252. Saving reverses
// that, so opening and saving an unchanged document writes the same bytes.
// Files with NUL bytes are refused: the editor cannot hold them.
namespace ts {

enum class TextEncoding { Utf8, Windows1252 };

// How a document's text becomes the bytes of its file. A new document is
// UTF-8 without a byte-order mark; `bom` only applies to UTF-8.
struct DocumentFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    bool bom = false;
    bool operator==(const DocumentFormat&) const = default;
};

struct LoadedDocument {
    QByteArray utf8;                     // the text for the editor, NUL-terminated as QByteArray always is
    DocumentFormat format;               // to be kept with the document and used when saving
    LineBreak lineBreak = LineBreak::CrLf; // for the editor's end-of-line mode
    FileIdentity identity;               // of the file that was read, as it was opened
};

// The text of a file's bytes; nothing when they hold a NUL byte. Valid UTF-8
// comes back in the same buffer (minus a byte-order mark), so pass it moved.
std::optional<LoadedDocument> decodeDocument(QByteArray bytes);

// Reads and decodes a file. Throws TError naming the file when it cannot be
// read, is not a regular file, or holds NUL bytes. The identity is the open
// file's: a change after it was opened differs from it.
LoadedDocument loadDocumentFile(const QString& path);

// Receives a document's text in pieces. begin comes first, and again when the
// file turns out not to be UTF-8: everything appended before is then void.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    virtual void begin(qint64 sizeHint) = 0;
    virtual void append(std::string_view utf8) = 0;
};

struct DocumentShape {
    DocumentFormat format;
    LineBreak lineBreak = LineBreak::CrLf;
    FileIdentity identity; // of the file that was read, as it was opened
};

// Reads a file into the sink piece by piece, so a large file is never held
// in memory besides the editor's own copy; the text is the same as
// loadDocumentFile gives. Throws TError naming the file as loadDocumentFile does
// (the sink may have received part of the text by then). With `only`, the
// file is read in that encoding alone, for a second reading of a file whose
// encoding is known: UTF-8 that turns out otherwise means the file changed,
// and throws so.
// A document file opened for reading, refused already when it is not a
// regular file; readings through it read that file whatever happens to its
// name meanwhile.
struct OpenedDocumentFile {
    QString path;
    FileHandle fd;
    FileIdentity identity; // as it was opened
};
// Throws TError naming the file as loadDocumentFile does.
OpenedDocumentFile openDocumentFile(const QString& path);

inline constexpr size_t kReadPiece = 256 << 10;
DocumentShape streamDocumentFile(const QString& path, DocumentSink& sink, size_t chunkSize = kReadPiece,
                                 std::optional<TextEncoding> only = std::nullopt);
// The same from the start of a file opened before; several readings of one
// opened file may run at once.
DocumentShape streamDocumentFile(const OpenedDocumentFile& file, DocumentSink& sink, size_t chunkSize = kReadPiece,
                                 std::optional<TextEncoding> only = std::nullopt);

// The bytes of a document's file, as a byte-order mark and a body.
// For UTF-8 the body refers to the caller's buffer (no copy): write it before
// that buffer changes. For Windows-1252 characters the code page cannot hold
// are written as '?' and listed in `unmappable` (once each, in order of first
// appearance); an empty list means the file holds the text exactly.
struct EncodedDocument {
    QByteArray bom;
    QByteArray body;
    QList<char32_t> unmappable;
    QByteArray bytes() const { return bom + body; }
};
EncodedDocument encodeDocument(std::string_view utf8, const DocumentFormat& format);

// Tells the user of the backup an unfinished save left (unfinishedSaveBackup)
// and restores it when the answer is Yes.
void offerSaveBackup(QWidget* parent, const QString& path);

// Writes an encoded document with saveFileAtomically.
FileIdentity saveDocumentFile(const QString& path, const EncodedDocument& document);

} // namespace ts
