#include "editor/docfile.h"

#include "platform/messages.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {
namespace {

constexpr std::string_view kBom{"\xEF\xBB\xBF", 3};

const QString kNotRegular = QStringLiteral("Das ist keine gewöhnliche Datei.");
const QString kNulBytes = QStringLiteral("Sie enthält Nullbytes und ist daher keine Textdatei.");
const QString kChanged = QStringLiteral("Sie wurde beim Lesen geändert.");

[[noreturn]] void throwReadError(const QString& path, const QString& reason) {
    throw TError(QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. %2")
                     .arg(QDir::toNativeSeparators(path), reason));
}

// Opens a document file for reading and refuses what is not a regular file.
FileHandle openForReading(const QString& path, struct stat& st) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) throwReadError(path, systemErrorText(ENOENT));
    // O_NONBLOCK so that a named pipe cannot hang the program before it is refused.
    FileHandle fd = FileHandle::open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (!fd) throwReadError(path, systemErrorText(errno));
    if (::fstat(fd.get(), &st) != 0) throwReadError(path, systemErrorText(errno));
    if (S_ISDIR(st.st_mode)) throwReadError(path, systemErrorText(EISDIR));
    if (!S_ISREG(st.st_mode)) throwReadError(path, kNotRegular);
    return fd;
}

} // namespace

std::optional<LoadedDocument> decodeDocument(QByteArray bytes) {
    const std::string_view all(bytes.constData(), size_t(bytes.size()));
    if (!all.empty() && std::memchr(all.data(), 0, all.size())) return std::nullopt;

    LoadedDocument doc;
    const bool bom = all.starts_with(kBom);
    if (isValidUtf8(bom ? all.substr(kBom.size()) : all)) {
        doc.format = {TextEncoding::Utf8, bom};
        if (bom) bytes.remove(0, qsizetype(kBom.size())); // moves the start, copies nothing
        doc.utf8 = std::move(bytes);
    } else {
        doc.format = {TextEncoding::Windows1252, false};
        doc.utf8 = cp1252::decodeToUtf8(all);
        bytes = QByteArray();
    }
    doc.lineBreak = detectLineBreak(std::string_view(doc.utf8.constData(), size_t(doc.utf8.size())));
    return doc;
}

OpenedDocumentFile openDocumentFile(const QString& path) {
    struct stat st {};
    OpenedDocumentFile file;
    file.path = path;
    file.fd = openForReading(path, st);
    file.identity = FileIdentity::fromStat(st);
    return file;
}

DocumentShape streamDocumentFile(const QString& path, DocumentSink& sink, size_t chunkSize,
                                 std::optional<TextEncoding> only) {
    return streamDocumentFile(openDocumentFile(path), sink, chunkSize, only);
}

DocumentShape streamDocumentFile(const OpenedDocumentFile& file, DocumentSink& sink, size_t chunkSize,
                                 std::optional<TextEncoding> only) {
    const QString& path = file.path;
    struct stat st {};
    if (::fstat(file.fd.get(), &st) != 0) throwReadError(path, systemErrorText(errno));
    chunkSize = std::max<size_t>(chunkSize, 4);
    std::string buffer(chunkSize + 3, '\0');
    // At offsets of its own: other readings of the same file may run at once.
    off_t offset = 0;
    auto readSome = [&](char* at, size_t want) {
        const ssize_t n = retryEintr([&] { return ::pread(file.fd.get(), at, want, offset); });
        if (n < 0) throwReadError(path, systemErrorText(errno));
        offset += n;
        return size_t(n);
    };

    // First as UTF-8, straight into the sink, so the file is never held twice.
    DocumentShape shape;
    shape.identity = file.identity;
    LineBreakScan scan;
    size_t carry = 0;
    bool first = true;
    bool utf8 = only != TextEncoding::Windows1252;
    if (utf8) sink.begin(qint64(st.st_size));
    while (utf8) {
        const size_t n = readSome(buffer.data() + carry, chunkSize);
        if (n == 0) break;
        std::string_view data(buffer.data(), carry + n);
        if (std::memchr(data.data() + carry, 0, n)) throwReadError(path, kNulBytes);
        if (first && data.size() < kBom.size() && st.st_size >= qint64(kBom.size())) {
            carry = data.size(); // too short to tell a byte-order mark yet
            continue;
        }
        if (first) {
            first = false;
            if (data.starts_with(kBom)) {
                shape.format.bom = true;
                data.remove_prefix(kBom.size());
            }
        }
        const size_t tail = incompleteUtf8Tail(data);
        const std::string_view complete = data.substr(0, data.size() - tail);
        if (!isValidUtf8(complete)) {
            utf8 = false;
            break;
        }
        sink.append(complete);
        scan.feed(complete);
        std::memmove(buffer.data(), data.data() + complete.size(), tail);
        carry = tail;
    }
    if (utf8 && carry > 0) {
        // A short file or an unfinished last character.
        const std::string_view rest(buffer.data(), carry);
        const bool bom = first && rest.starts_with(kBom);
        if (bom) shape.format.bom = true;
        const std::string_view body = bom ? rest.substr(kBom.size()) : rest;
        if (isValidUtf8(body)) {
            sink.append(body);
            scan.feed(body);
        } else {
            utf8 = false;
        }
    }
    if (utf8) {
        shape.format.encoding = TextEncoding::Utf8;
        shape.lineBreak = scan.result();
        return shape;
    }
    // Read as UTF-8 once already, so the file has changed since.
    if (only == TextEncoding::Utf8) throwReadError(path, kChanged);

    // Not UTF-8: everything again, as Windows-1252.
    offset = 0;
    shape.format = DocumentFormat{TextEncoding::Windows1252, false};
    scan = LineBreakScan{};
    sink.begin(qint64(st.st_size) + qint64(st.st_size) / 4);
    for (;;) {
        const size_t n = readSome(buffer.data(), chunkSize);
        if (n == 0) break;
        const std::string_view raw(buffer.data(), n);
        if (std::memchr(raw.data(), 0, n)) throwReadError(path, kNulBytes);
        const QByteArray text = cp1252::decodeToUtf8(raw);
        sink.append(std::string_view(text.constData(), size_t(text.size())));
        scan.feed(raw);
    }
    shape.lineBreak = scan.result();
    return shape;
}

LoadedDocument loadDocumentFile(const QString& path) {
    struct stat st {};
    FileHandle fd = openForReading(path, st);

    QByteArray bytes;
    if (int err = readAll(fd.get(), bytes, qsizetype(st.st_size))) throwReadError(path, systemErrorText(err));
    fd.close();

    std::optional<LoadedDocument> doc = decodeDocument(std::move(bytes));
    if (!doc) throwReadError(path, kNulBytes);
    doc->identity = FileIdentity::fromStat(st);
    return std::move(*doc);
}

EncodedDocument encodeDocument(std::string_view utf8, const DocumentFormat& format) {
    EncodedDocument out;
    if (format.encoding == TextEncoding::Utf8) {
        if (format.bom) out.bom = QByteArray(kBom.data(), qsizetype(kBom.size()));
        out.body = QByteArray::fromRawData(utf8.data(), qsizetype(utf8.size()));
    } else {
        out.body = cp1252::encodeFromUtf8(utf8, &out.unmappable);
    }
    return out;
}

void offerSaveBackup(QWidget* parent, const QString& path) {
    const QString backup = unfinishedSaveBackup(path);
    if (backup.isEmpty()) return;
    const QString question =
        QStringLiteral("The last save of \"%1\" did not finish, so the file may be incomplete. Its content from "
                       "before that save is kept in \"%2\". Restore it?")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backup));
    if (messages().askYesNo(parent, question) == Answer::Yes) restoreSaveBackup(path);
}

FileIdentity saveDocumentFile(const QString& path, const EncodedDocument& document) {
    const std::string_view pieces[] = {
        std::string_view(document.bom.constData(), size_t(document.bom.size())),
        std::string_view(document.body.constData(), size_t(document.body.size())),
    };
    return saveFileAtomically(path, pieces);
}

} // namespace ts
