#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <span>
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

// What a file looked like at one moment. Two looks that differ mean that the
// file was written, replaced or deleted in between.
struct FileIdentity {
    bool exists = false;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    // Only size and modification time are known (a journal of an earlier version).
    bool partial = false;

    // The file the path names now.
    static FileIdentity of(const QString& path);
    // Whether nothing tells the two apart; a partial look compares only what it knows.
    bool same(const FileIdentity& other) const;
};

enum class TextEncoding { Utf8, Windows1252 };
enum class LineBreak { CrLf, Lf, Cr };

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

// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s);

// The length (1 to 4) of the valid UTF-8 character at the start of s, which
// is stored in *c; 0 when s is empty or does not start with one.
int decodeUtf8Char(std::string_view s, char32_t* c);

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
// (the sink may have received part of the text by then).
DocumentShape streamDocumentFile(const QString& path, DocumentSink& sink, size_t chunkSize = 4 << 20);

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

// The first line break of the text (CR LF, LF or CR); CR LF when it has none.
LineBreak detectLineBreak(std::string_view text);
QByteArray lineBreakBytes(LineBreak lineBreak);

// Replaces the content of the file at `path` by the concatenated pieces so
// that the file is whole at every moment: either the old or the new content,
// whatever happens (crash, kill, full disk).
// - Normally the bytes go to a temporary file beside the target, which is
//   synced and renamed over it; the file keeps its permission bits and group,
//   a new file gets 0666 less the umask.
// - A symbolic link (or a chain of them, or a dangling one) is followed: the
//   file it points to is replaced, the link stays.
// - A file with several hard links, one owned by another user, one whose group
//   cannot be kept, or one in a folder where no new file can be made is
//   overwritten in place, so links and owner stay: its old content is first
//   copied to a synced backup (beside it, or in the temporary folder), which
//   restores it when the write fails and is removed after success. A save
//   killed meanwhile leaves the backup, found by unfinishedSaveBackup.
// - The temporary file and the backup have names the next save of the file
//   knows; it removes what a killed save left there, and waits while another
//   process is saving the same file.
// - A file the user may not write to (as open() would judge it) is refused.
// Throws TError naming the file when the content cannot be written; the old
// content is then intact and no temporary file is left behind.
// Gives the identity of the file written, taken from the file itself while it
// was open: a change made by someone else afterwards differs from it.
FileIdentity saveFileAtomically(const QString& path, std::span<const std::string_view> pieces);
inline FileIdentity saveFileAtomically(const QString& path, std::string_view bytes) {
    return saveFileAtomically(path, std::span<const std::string_view>(&bytes, 1));
}

// The backup an in-place save left because it did not finish (the file may
// be torn), or empty when there is none or a save of the file is running.
QString unfinishedSaveBackup(const QString& path);
// Writes that backup's content back into the file, in place, and removes the
// backup; nothing when there is none. Throws TError naming the file.
void restoreSaveBackup(const QString& path);
// Tells the user of such a backup and restores it when the answer is Yes.
void offerSaveBackup(QWidget* parent, const QString& path);

// Writes an encoded document with saveFileAtomically.
FileIdentity saveDocumentFile(const QString& path, const EncodedDocument& document);

} // namespace ts
