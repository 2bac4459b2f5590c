#include "editor/cp1252.h"
#include "editor/docfile.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/terror.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <iostream>
#include <limits>
#include <thread>
#include <random>
#include <fcntl.h>
#include <set>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ts;

// Readable failure output.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QByteArray& b, std::ostream* os) { *os << b.toHex(' ').toStdString(); }

namespace {

std::string_view view(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The message of the TError that f throws, or "<no error>".
template <typename F>
QString errorOf(F f) {
    try {
        f();
    } catch (const TError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

QString openMessage(const QString& path) { return QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. ").arg(path); }
QString writeMessage(const QString& path) {
    return QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. ").arg(path);
}

// Loads a file and saves it again the way the document window does.
void loadAndSave(const QString& from, const QString& to, LoadedDocument* loaded = nullptr) {
    LoadedDocument doc = loadDocumentFile(from);
    const EncodedDocument enc = encodeDocument(view(doc.utf8), doc.format);
    EXPECT_TRUE(enc.unmappable.isEmpty());
    saveDocumentFile(to, enc);
    if (loaded) *loaded = std::move(doc);
}

// ---- An independent, plain UTF-8 decoder to check the fast one against.

// Length of the character at s[i], or 0 when it is not valid UTF-8.
int plainUtf8Length(const QByteArray& s, qsizetype i, char32_t* cp = nullptr) {
    const auto b = static_cast<unsigned char>(s[i]);
    int length;
    char32_t c;
    if (b < 0x80) return cp ? (*cp = b, 1) : 1;
    if ((b & 0xE0) == 0xC0) length = 2, c = b & 0x1F;
    else if ((b & 0xF0) == 0xE0) length = 3, c = b & 0x0F;
    else if ((b & 0xF8) == 0xF0) length = 4, c = b & 0x07;
    else return 0;
    if (i + length > s.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = c << 6 | (t & 0x3F);
    }
    const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return 0;
    if (cp) *cp = c;
    return length;
}

bool plainIsValidUtf8(const QByteArray& s) {
    for (qsizetype i = 0; i < s.size();) {
        const int n = plainUtf8Length(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

QByteArray encodeUtf8(char32_t c) {
    QByteArray out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

LineBreak plainFirstBreak(const QByteArray& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\n') return LineBreak::Lf;
        if (s[i] == '\r') return i + 1 < s.size() && s[i + 1] == '\n' ? LineBreak::CrLf : LineBreak::Cr;
    }
    return LineBreak::CrLf;
}

// Runs the helper program; returns its exit code (-1 when it did not finish
// normally) and its error output.
struct HelperResult {
    int exitCode = -1;
    QString errorText;
};
HelperResult runHelper(const QStringList& args, const QString& tmpDir = {}) {
    QProcess p;
    if (!tmpDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmpDir);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(DOCFILE_HELPER), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

const uid_t kOtherUid = 12345;
bool isRoot() { return ::geteuid() == 0; }

// A folder others may enter and fill, and files in it they may write: what
// the helper needs when it runs as another user.
void openUp(const QString& path, mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }
void giveTo(const QString& path, uid_t uid) {
    ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), uid, uid), 0) << path.toStdString();
}

} // namespace

// ---- UTF-8 ----------------------------------------------------------------

TEST(Utf8Validation, AcceptsTheValidFormsAndRejectsTheRestAtEveryAlignment) {
    const std::vector<std::pair<QByteArray, bool>> cases = {
        {"", true},
        {"plain ASCII", true},
        {"\xC3\xA4", true},                      // ä
        {"\xC2\x80", true},                      // smallest two-byte
        {"\xDF\xBF", true},                      // largest two-byte
        {"\xE0\xA0\x80", true},                  // smallest three-byte
        {"\xED\x9F\xBF", true},                  // U+D7FF, just below the surrogates
        {"\xEE\x80\x80", true},                  // U+E000, just above them
        {"\xEF\xBB\xBF", true},                  // U+FEFF
        {"\xEF\xBF\xBF", true},                  // U+FFFF
        {"\xF0\x90\x80\x80", true},              // U+10000
        {"\xF0\x9F\x98\x80", true},              // emoji
        {"\xF4\x8F\xBF\xBF", true},              // U+10FFFF
        {"\x80", false},                         // lone continuation
        {"\xBF", false},
        {"\xC0\x80", false},                     // overlong NUL
        {"\xC1\xBF", false},                     // overlong
        {"\xE0\x80\x80", false},                 // overlong
        {"\xE0\x9F\xBF", false},                 // overlong
        {"\xF0\x80\x80\x80", false},             // overlong
        {"\xF0\x8F\xBF\xBF", false},             // overlong
        {"\xED\xA0\x80", false},                 // U+D800
        {"\xED\xBF\xBF", false},                 // U+DFFF
        {"\xF4\x90\x80\x80", false},             // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xF8\x88\x80\x80\x80", false},
        {"\xFE", false},
        {"\xFF", false},
        {"\xC3", false},                         // cut short
        {"\xE2\x82", false},
        {"\xF0\x9F\x98", false},
        {"\xC3\x28", false},                     // continuation missing
        {"\xE2\x28\xA1", false},
        {"\xE2\x82\x28", false},
        {"\xF0\x9F\x28\x80", false},
        {"\xF0\x9F\x98\x28", false},
        {"Gr\xFC\xDF" "e", false},               // Windows-1252 German
    };
    for (const auto& [bytes, valid] : cases) {
        // Padding moves the sequence across the word boundaries of the fast path.
        for (int before = 0; before <= 40; ++before) {
            for (int after : {0, 1, 7, 8, 15, 16, 17, 33}) {
                const QByteArray s = QByteArray(before, 'a') + bytes + QByteArray(after, 'z');
                ASSERT_EQ(isValidUtf8(view(s)), valid)
                    << "bytes " << bytes.toHex(' ').toStdString() << " after " << before << " before " << after;
            }
        }
    }
}

TEST(Utf8Validation, AgreesWithAPlainDecoderOnAllShortSequences) {
    // Every one-, two- and three-byte string, and every four-byte one with a
    // lead from F0 to F7 and edge values in the last two places.
    QByteArray s(3, 0);
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            s.resize(2);
            s[0] = char(a), s[1] = char(b);
            ASSERT_EQ(isValidUtf8(view(s)), plainIsValidUtf8(s)) << a << ' ' << b;
            s.resize(3);
            for (int c = 0; c < 256; ++c) {
                s[2] = char(c);
                if (isValidUtf8(view(s)) != plainIsValidUtf8(s)) FAIL() << a << ' ' << b << ' ' << c;
            }
        }
    }
    s.resize(4);
    const int edges[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    for (int a = 0xF0; a <= 0xF7; ++a)
        for (int b = 0; b < 256; ++b)
            for (int c : edges)
                for (int d : edges) {
                    s[0] = char(a), s[1] = char(b), s[2] = char(c), s[3] = char(d);
                    ASSERT_EQ(isValidUtf8(view(s)), plainIsValidUtf8(s)) << s.toHex(' ').toStdString();
                }
}

TEST(Utf8Validation, DecodesEveryCharacterAndNoSurrogate) {
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        const QByteArray s = encodeUtf8(c);
        char32_t got = 0;
        const int length = decodeUtf8Char(view(s), &got);
        if (c >= 0xD800 && c <= 0xDFFF) {
            ASSERT_EQ(length, 0) << std::hex << unsigned(c);
            ASSERT_FALSE(isValidUtf8(view(s)));
        } else {
            ASSERT_EQ(length, s.size()) << std::hex << unsigned(c);
            ASSERT_EQ(got, c);
            ASSERT_TRUE(isValidUtf8(view(s))) << std::hex << unsigned(c);
        }
    }
    char32_t unused = 0;
    EXPECT_EQ(decodeUtf8Char({}, &unused), 0);
}

TEST(Utf8Validation, AgreesWithAPlainDecoderOnRandomText) {
    std::mt19937 rng(20240307);
    for (int round = 0; round < 3000; ++round) {
        QByteArray s;
        const int chars = int(rng() % 200);
        for (int k = 0; k < chars; ++k) {
            switch (rng() % 8) {
            case 0: s += encodeUtf8(0x80 + rng() % (0x800 - 0x80)); break;
            case 1: s += encodeUtf8(0x800 + rng() % (0x10000 - 0x800)); break; // surrogates too
            case 2: s += encodeUtf8(0x10000 + rng() % (0x110000 - 0x10000)); break;
            case 3:
                if (rng() % 20 == 0) s += char(rng() % 256); // the odd stray byte
                break;
            default: s += QByteArray(int(rng() % 30), char(0x20 + rng() % 0x5F)); break;
            }
        }
        ASSERT_EQ(isValidUtf8(view(s)), plainIsValidUtf8(s)) << s.toHex(' ').toStdString();
    }
}

// ---- Windows-1252 ---------------------------------------------------------

TEST(Cp1252, EveryByteDecodesAsWindowsDoesAndEncodesBack) {
    QStringDecoder windows("Windows-1252");
    ASSERT_TRUE(windows.isValid());
    const std::set<int> undefined = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
    std::set<char32_t> seen;
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(b));
        if (undefined.count(b)) {
            EXPECT_EQ(c, char32_t(b)) << std::hex << b;
        } else {
            const char byte = char(b);
            const QString expected = windows.decode(QByteArrayView(&byte, 1));
            ASSERT_EQ(expected.size() , 1);
            EXPECT_EQ(c, char32_t(expected[0].unicode())) << std::hex << b;
        }
        EXPECT_EQ(cp1252::fromUnicode(c), b);
        seen.insert(c);
        all += char(b);
    }
    EXPECT_EQ(seen.size(), 256u);

    // Whole buffers: each byte twice, in two orders.
    QByteArray reversed = all;
    std::reverse(reversed.begin(), reversed.end());
    const QByteArray bytes = all + reversed + QByteArray(37, 'x') + all;
    const QByteArray utf8 = cp1252::decodeToUtf8(view(bytes));
    ASSERT_TRUE(isValidUtf8(view(utf8)));
    const std::u32string chars = QString::fromUtf8(utf8).toStdU32String();
    ASSERT_EQ(qsizetype(chars.size()), bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(chars[size_t(i)], cp1252::toUnicode(static_cast<unsigned char>(bytes[i]))) << i;
    QList<char32_t> unmappable;
    EXPECT_EQ(cp1252::encodeFromUtf8(view(utf8), &unmappable), bytes);
    EXPECT_TRUE(unmappable.isEmpty());
}

TEST(Cp1252, ListsWhatItCannotHoldOnceEachInOrder) {
    const QByteArray text = QStringLiteral("a€b中c\U0001F600d中e\u0080f\u0081g").toUtf8();
    QList<char32_t> unmappable;
    const QByteArray bytes = cp1252::encodeFromUtf8(view(text), &unmappable);
    EXPECT_EQ(bytes, QByteArray("a\x80" "b?c?d?e?f\x81g"));
    EXPECT_EQ(unmappable, (QList<char32_t>{U'中', U'\U0001F600', U'\u0080'}));

    // Bytes that are no UTF-8 at all are not silently dropped.
    unmappable.clear();
    EXPECT_EQ(cp1252::encodeFromUtf8("x\xC3y\xFF", &unmappable), QByteArray("x?y?"));
    EXPECT_EQ(unmappable, QList<char32_t>{U'\uFFFD'});

    const EncodedDocument doc = encodeDocument(view(text), {TextEncoding::Windows1252, false});
    EXPECT_EQ(doc.bytes(), bytes);
    EXPECT_EQ(doc.unmappable.size(), 3);
}

// ---- Line breaks ----------------------------------------------------------

TEST(LineBreaks, TheFirstBreakDecidesAndNoneMeansCrLf) {
    const std::vector<std::pair<QByteArray, LineBreak>> cases = {
        {"", LineBreak::CrLf},         {"no break", LineBreak::CrLf},  {"a\r\nb\nc\r", LineBreak::CrLf},
        {"a\nb\r\n", LineBreak::Lf},   {"a\rb\r\n", LineBreak::Cr},    {"a\r", LineBreak::Cr},
        {"\r\n", LineBreak::CrLf},     {"\n\r", LineBreak::Lf},        {"a\r\r\n", LineBreak::Cr},
        {"\n", LineBreak::Lf},         {"\r", LineBreak::Cr},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(detectLineBreak(view(text)), expected) << text.toHex(' ').toStdString();
        EXPECT_EQ(plainFirstBreak(text), expected);
    }
    const QByteArray far = QByteArray(1 << 20, 'x') + "\r" + QByteArray(1000, 'y') + "\n";
    EXPECT_EQ(detectLineBreak(view(far)), LineBreak::Cr);
    EXPECT_EQ(detectLineBreak({}), LineBreak::CrLf);
    EXPECT_EQ(lineBreakBytes(LineBreak::CrLf), QByteArray("\r\n"));
    EXPECT_EQ(lineBreakBytes(LineBreak::Lf), QByteArray("\n"));
    EXPECT_EQ(lineBreakBytes(LineBreak::Cr), QByteArray("\r"));
}

// ---- Decoding -------------------------------------------------------------

TEST(DecodeDocument, KeepsUtf8InItsOwnBufferAndDropsOnlyTheMark) {
    QByteArray plain("<P>Gr\xC3\xBC\xC3\x9F" "e</P>\n");
    const char* where = plain.constData();
    std::optional<LoadedDocument> doc = decodeDocument(std::move(plain));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->format, (DocumentFormat{TextEncoding::Utf8, false}));
    EXPECT_EQ(doc->utf8, QByteArray("<P>Gr\xC3\xBC\xC3\x9F" "e</P>\n"));
    EXPECT_EQ(doc->utf8.constData(), where) << "copied";
    EXPECT_EQ(doc->lineBreak, LineBreak::Lf);

    QByteArray marked("\xEF\xBB\xBF\xEF\xBB\xBFx\r\n");
    where = marked.constData();
    doc = decodeDocument(std::move(marked));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->format, (DocumentFormat{TextEncoding::Utf8, true}));
    EXPECT_EQ(doc->utf8, QByteArray("\xEF\xBB\xBFx\r\n")); // a second mark is text
    EXPECT_EQ(doc->utf8.constData(), where + 3) << "copied";
    EXPECT_EQ(doc->utf8.constData()[doc->utf8.size()], '\0');

    doc = decodeDocument(QByteArray("\xEF\xBB\xBF"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->format, (DocumentFormat{TextEncoding::Utf8, true}));
    EXPECT_TRUE(doc->utf8.isEmpty());
    EXPECT_EQ(doc->lineBreak, LineBreak::CrLf);

    doc = decodeDocument(QByteArray());
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->format, DocumentFormat{});
}

TEST(DecodeDocument, ReadsEverythingElseAsWindows1252) {
    // A mark followed by something that is not UTF-8: the mark's bytes are text.
    std::optional<LoadedDocument> doc = decodeDocument(QByteArray("\xEF\xBB\xBF\xE4\rx"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->format, (DocumentFormat{TextEncoding::Windows1252, false}));
    EXPECT_EQ(QString::fromUtf8(doc->utf8), QStringLiteral("ï»¿ä\rx"));
    EXPECT_EQ(doc->lineBreak, LineBreak::Cr);

    doc = decodeDocument(QByteArray("Preis: 5 \x80, \x84Zitat\x93"));
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->format.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(QString::fromUtf8(doc->utf8), QStringLiteral("Preis: 5 €, „Zitat“"));
}

TEST(DecodeDocument, RefusesNulBytesAnywhere) {
    for (const QByteArray& bytes : {QByteArray("\0abc", 4), QByteArray("ab\0c", 4), QByteArray("abc\0", 4),
                                    QByteArray("\xE4\0", 2), QByteArray("\xFF\xFE<\0H\0", 6)})
        EXPECT_FALSE(decodeDocument(bytes)) << bytes.toHex(' ').toStdString();
}

// ---- Loading files --------------------------------------------------------

TEST(LoadDocumentFile, EveryKindOfFileComesBackUnchanged) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const DocumentFormat utf8{TextEncoding::Utf8, false}, marked{TextEncoding::Utf8, true},
        legacy{TextEncoding::Windows1252, false};
    struct Sample {
        const char* name;
        QByteArray bytes;
        DocumentFormat format;
        LineBreak lineBreak;
    };
    const std::vector<Sample> samples = {
        {"crlf", "<HTML>\r\n<BODY>\r\n</BODY>\r\n</HTML>\r\n", utf8, LineBreak::CrLf},
        {"lf", "<HTML>\n<BODY>\n</HTML>\n", utf8, LineBreak::Lf},
        {"cr", "<HTML>\r<BODY>\r</HTML>\r", utf8, LineBreak::Cr},
        {"mixed", "a\nb\r\nc\rd\n\re", utf8, LineBreak::Lf},
        {"no final break", "a\r\nb", utf8, LineBreak::CrLf},
        {"one line", "just one line", utf8, LineBreak::CrLf},
        {"empty", "", utf8, LineBreak::CrLf},
        {"only breaks", "\r\n\r\n\n\r", utf8, LineBreak::CrLf},
        {"utf-8", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80\r\n", utf8, LineBreak::CrLf},
        {"utf-8 with mark", "\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F" "e\n", marked, LineBreak::Lf},
        {"only a mark", "\xEF\xBB\xBF", marked, LineBreak::CrLf},
        {"windows-1252", "Gr\xFC\xDF" "e \x80\r\n\x93zitiert\x94\r\n", legacy, LineBreak::CrLf},
        {"undefined bytes", "\x81\x8D\x8F\x90\x9D\n", legacy, LineBreak::Lf},
        {"mark then legacy", "\xEF\xBB\xBF\xFC\r", legacy, LineBreak::Cr},
        {"cut-off utf-8", "abc\xC3", legacy, LineBreak::CrLf},
        {"encoded surrogate", "\xED\xA0\x80\r\n", legacy, LineBreak::CrLf},
        {"overlong", "\xC0\xAF\n", legacy, LineBreak::Lf},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.name);
        const QString path = dir.filePath(QString::fromLatin1(s.name) + QStringLiteral(".htm"));
        writeBytes(path, s.bytes);
        LoadedDocument doc;
        loadAndSave(path, path, &doc);
        EXPECT_EQ(doc.format, s.format);
        EXPECT_EQ(doc.lineBreak, s.lineBreak);
        EXPECT_TRUE(isValidUtf8(view(doc.utf8)));
        EXPECT_EQ(readBytes(path), s.bytes);
    }
}

TEST(LoadDocumentFile, AllByteValuesOfALegacyFileSurvive) {
    QTemporaryDir dir;
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 1; b < 256; ++b) bytes += char(round == 1 ? 256 - b : b);
    const QString path = dir.filePath(QStringLiteral("all.htm"));
    writeBytes(path, bytes);
    LoadedDocument doc;
    loadAndSave(path, dir.filePath(QStringLiteral("copy.htm")), &doc);
    EXPECT_EQ(doc.format.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(QString::fromUtf8(doc.utf8).size(), bytes.size()); // one character per byte
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("copy.htm"))), bytes);
}

TEST(LoadDocumentFile, RefusesNulBytesNamingTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("binary.htm"));
    writeBytes(path, QByteArray("<HTML>\0\0\0", 9) + QByteArray(100000, 'x'));
    const QString message = errorOf([&] { loadDocumentFile(path); });
    EXPECT_TRUE(message.startsWith(openMessage(path))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("Nullbytes"))) << message.toStdString();
}

TEST(LoadDocumentFile, RefusesWhatCannotBeReadNamingTheFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.htm"));
    EXPECT_EQ(errorOf([&] { loadDocumentFile(missing); }),
              openMessage(missing) + QStringLiteral("Datei oder Verzeichnis nicht gefunden."));
    EXPECT_EQ(errorOf([&] { loadDocumentFile(dir.path()); }),
              openMessage(dir.path()) + QStringLiteral("Das ist ein Verzeichnis."));
    EXPECT_TRUE(errorOf([&] { loadDocumentFile(QString()); }).startsWith(openMessage(QString())));

    // A named pipe neither hangs nor opens.
    const QString fifo = dir.filePath(QStringLiteral("pipe.htm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(errorOf([&] { loadDocumentFile(fifo); }),
              openMessage(fifo) + QStringLiteral("Das ist keine gewöhnliche Datei."));

    // A file its reader may not read; root reads everything, so another user tries.
    const QString secret = dir.filePath(QStringLiteral("secret.htm"));
    writeBytes(secret, "x");
    openUp(secret, 0000);
    if (isRoot()) {
        openUp(dir.path(), 0755);
        const HelperResult r = runHelper({QStringLiteral("--uid"), QString::number(kOtherUid), QStringLiteral("load"), secret});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.errorText, openMessage(secret) + QStringLiteral("Zugriff verweigert."));
    } else {
        EXPECT_EQ(errorOf([&] { loadDocumentFile(secret); }), openMessage(secret) + QStringLiteral("Zugriff verweigert."));
    }
}

TEST(DocumentRoundTrip, RandomFilesComeBackByteForByte) {
    QTemporaryDir dir;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 400; ++round) {
        const int kind = int(rng() % 4);
        const int lineBreakMix = int(rng() % 4); // one of the three, or all mixed
        QByteArray bytes;
        if (kind == 1 && rng() % 2) bytes += "\xEF\xBB\xBF";
        const int lines = int(rng() % 40);
        for (int l = 0; l < lines; ++l) {
            const int chars = int(rng() % 60);
            for (int c = 0; c < chars; ++c) {
                if (kind == 0) { // any bytes but NUL
                    bytes += char(1 + rng() % 255);
                    continue;
                }
                switch (rng() % 6) {
                case 0: bytes += encodeUtf8(0x80 + rng() % 0x780); break;
                case 1: {
                    char32_t ch = 0x800 + rng() % 0xF800;
                    if (ch >= 0xD800 && ch <= 0xDFFF) ch -= 0x800;
                    bytes += encodeUtf8(ch);
                    break;
                }
                case 2: bytes += encodeUtf8(0x10000 + rng() % 0x100000); break;
                default: bytes += char(0x20 + rng() % 0x5F); break;
                }
            }
            // Kind 2: UTF-8 spoilt by one stray byte; kind 3: legacy text with German letters.
            if (kind == 2 && l == lines / 2) bytes += char(0x80 + rng() % 0x80);
            if (kind == 3) bytes += "Gr\xFC\xDF" "e \x80";
            if (l + 1 < lines || rng() % 2) bytes += breaks[lineBreakMix < 3 ? lineBreakMix : rng() % 3];
        }
        SCOPED_TRACE(testing::Message() << "round " << round << " bytes " << bytes.toHex(' ').toStdString());

        const QString path = dir.filePath(QStringLiteral("doc%1.htm").arg(round % 7));
        writeBytes(path, bytes);
        const QString target = round % 2 ? path : dir.filePath(QStringLiteral("saved.htm"));
        LoadedDocument doc;
        loadAndSave(path, target, &doc);
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        const bool utf8 = plainIsValidUtf8(bom ? bytes.mid(3) : bytes);
        EXPECT_EQ(doc.format.encoding, utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252);
        EXPECT_EQ(doc.format.bom, utf8 && bom);
        EXPECT_EQ(doc.lineBreak, plainFirstBreak(bytes));
        ASSERT_EQ(readBytes(target), bytes);
    }
    EXPECT_EQ(entries(dir.path()).size(), 8) << entries(dir.path()).join(' ').toStdString();
}

// ---- Saving ---------------------------------------------------------------

TEST(SaveFileAtomically, ANewFileGetsTheUmaskModeAndAnOldOneKeepsItsBits) {
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(027);
    const QString fresh = dir.filePath(QStringLiteral("new.htm"));
    saveFileAtomically(fresh, "one");
    ::umask(0);
    const QString open = dir.filePath(QStringLiteral("open.htm"));
    saveFileAtomically(open, "two");
    ::umask(oldMask);
    EXPECT_EQ(statOf(fresh).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(open).st_mode & 07777, 0666u);
    EXPECT_EQ(readBytes(fresh), QByteArray("one"));

    for (mode_t mode : {0755, 0700, 0640, 0604, 04755, 0444}) {
        SCOPED_TRACE(testing::Message() << std::oct << mode);
        const QString path = dir.filePath(QStringLiteral("script.sh"));
        writeBytes(path, "#!/bin/sh\nold\n");
        openUp(path, mode);
        const ino_t before = statOf(path).st_ino;
        const QString message = errorOf([&] { saveFileAtomically(path, "#!/bin/sh\nnew\n"); });
        if (mode == 0444 && !isRoot()) {
            // Not the user's to write: refused, though the folder would allow a rename.
            EXPECT_EQ(message, writeMessage(path) + QStringLiteral("Zugriff verweigert."));
            EXPECT_EQ(readBytes(path), QByteArray("#!/bin/sh\nold\n"));
            continue;
        }
        EXPECT_EQ(message, QStringLiteral("<no error>"));
        EXPECT_EQ(readBytes(path), QByteArray("#!/bin/sh\nnew\n"));
        EXPECT_EQ(statOf(path).st_mode & 07777, mode);
        EXPECT_NE(statOf(path).st_ino, before) << "not replaced by a rename";
    }
    EXPECT_EQ(entries(dir.path()), (QStringList{"new.htm", "open.htm", "script.sh"}));
}

TEST(SaveFileAtomically, ReplacesWhatALinkPointsToAndKeepsTheLink) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("site")));
    const QString file = dir.filePath(QStringLiteral("site/index.htm"));
    writeBytes(file, "old");
    openUp(file, 0750);
    // direct -> site/index.htm (relative), chain -> direct (absolute).
    const QString direct = dir.filePath(QStringLiteral("direct.htm"));
    const QString chain = dir.filePath(QStringLiteral("chain.htm"));
    ASSERT_EQ(::symlink("site/index.htm", QFile::encodeName(direct).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(direct).constData(), QFile::encodeName(chain).constData()), 0);

    saveFileAtomically(direct, "via link");
    EXPECT_EQ(readBytes(file), QByteArray("via link"));
    saveFileAtomically(chain, "via chain");
    EXPECT_EQ(readBytes(file), QByteArray("via chain"));
    EXPECT_EQ(QFile::symLinkTarget(direct), file);
    EXPECT_EQ(QFileInfo(chain).symLinkTarget(), direct);
    EXPECT_EQ(QFileInfo(chain).canonicalFilePath(), file);
    EXPECT_TRUE(QFileInfo(direct).isSymLink());
    EXPECT_TRUE(QFileInfo(chain).isSymLink());
    EXPECT_EQ(statOf(file).st_mode & 07777, 0750u);

    // A dangling link: the file it names comes into being.
    const QString dangling = dir.filePath(QStringLiteral("dangling.htm"));
    ASSERT_EQ(::symlink("site/later.htm", QFile::encodeName(dangling).constData()), 0);
    saveFileAtomically(dangling, "later");
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("site/later.htm"))), QByteArray("later"));
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());

    // A loop of links is refused.
    const QString a = dir.filePath(QStringLiteral("a.htm")), b = dir.filePath(QStringLiteral("b.htm"));
    ASSERT_EQ(::symlink("b.htm", QFile::encodeName(a).constData()), 0);
    ASSERT_EQ(::symlink("a.htm", QFile::encodeName(b).constData()), 0);
    EXPECT_EQ(errorOf([&] { saveFileAtomically(a, "x"); }),
              writeMessage(a) + QStringLiteral("Zu viele Ebenen symbolischer Links."));

    EXPECT_EQ(entries(dir.path()), (QStringList{"a.htm", "b.htm", "chain.htm", "dangling.htm", "direct.htm", "site"}));
    EXPECT_EQ(entries(dir.filePath(QStringLiteral("site"))), (QStringList{"index.htm", "later.htm"}));
}

TEST(SaveFileAtomically, KeepsHardLinksOwnerAndGroup) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    const QString other = dir.filePath(QStringLiteral("other name.htm"));
    writeBytes(file, QByteArray(300000, 'o'));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
    openUp(file, 0751);
    const ino_t inode = statOf(file).st_ino;
    saveFileAtomically(file, "short now");
    EXPECT_EQ(readBytes(file), QByteArray("short now"));
    EXPECT_EQ(readBytes(other), QByteArray("short now"));
    saveFileAtomically(other, QByteArray(500000, 'n').toStdString());
    EXPECT_EQ(readBytes(file), QByteArray(500000, 'n'));
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(statOf(file).st_nlink, 2u);
    EXPECT_EQ(statOf(file).st_mode & 07777, 0751u);
    EXPECT_EQ(entries(dir.path()), (QStringList{"other name.htm", "page.htm"})) << "backup left behind";

    if (!isRoot()) GTEST_SKIP() << "giving files to other users needs root";
    const QString theirs = dir.filePath(QStringLiteral("theirs.htm"));
    writeBytes(theirs, "old");
    giveTo(theirs, kOtherUid);
    openUp(theirs, 0640);
    const ino_t theirInode = statOf(theirs).st_ino;
    saveFileAtomically(theirs, "new");
    EXPECT_EQ(readBytes(theirs), QByteArray("new"));
    EXPECT_EQ(statOf(theirs).st_uid, kOtherUid);
    EXPECT_EQ(statOf(theirs).st_gid, kOtherUid);
    EXPECT_EQ(statOf(theirs).st_ino, theirInode);
    EXPECT_EQ(statOf(theirs).st_mode & 07777, 0640u);

    // Our own file in another group is replaced, and keeps the group.
    const QString group = dir.filePath(QStringLiteral("group.htm"));
    writeBytes(group, "old");
    ASSERT_EQ(::chown(QFile::encodeName(group).constData(), 0, kOtherUid), 0);
    openUp(group, 02775);
    saveFileAtomically(group, "new");
    EXPECT_EQ(readBytes(group), QByteArray("new"));
    EXPECT_EQ(statOf(group).st_gid, kOtherUid);
    EXPECT_EQ(statOf(group).st_mode & 07777, 02775u);
    EXPECT_EQ(entries(dir.path()), (QStringList{"group.htm", "other name.htm", "page.htm", "theirs.htm"}));
}

TEST(SaveFileAtomically, RefusesPathsThatCannotHoldAFile) {
    QTemporaryDir dir;
    const QString noFolder = dir.filePath(QStringLiteral("missing/page.htm"));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(noFolder, "x"); }),
              writeMessage(noFolder) + QStringLiteral("Datei oder Verzeichnis nicht gefunden."));

    const QString plain = dir.filePath(QStringLiteral("plain.htm"));
    writeBytes(plain, "keep");
    const QString underFile = plain + QStringLiteral("/page.htm");
    EXPECT_EQ(errorOf([&] { saveFileAtomically(underFile, "x"); }),
              writeMessage(underFile) + QStringLiteral("Ein Teil des Pfades ist kein Verzeichnis."));

    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(folder, "x"); }),
              writeMessage(folder) + QStringLiteral("Das ist ein Verzeichnis."));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(QString(), "x"); }),
              writeMessage(QString()) + QStringLiteral("Datei oder Verzeichnis nicht gefunden."));
    const QString fifo = dir.filePath(QStringLiteral("pipe.htm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(errorOf([&] { saveFileAtomically(fifo, "x"); }),
              writeMessage(fifo) + QStringLiteral("Das ist keine gewöhnliche Datei."));

    EXPECT_EQ(readBytes(plain), QByteArray("keep"));
    EXPECT_EQ(entries(dir.path()), (QStringList{"folder", "pipe.htm", "plain.htm"}));
    EXPECT_TRUE(entries(folder).isEmpty());
}

// Root writes everywhere, so these run as another user in a helper process.
TEST(SaveFileAtomically, RespectsFoldersAndFilesTheUserMayNotWrite) {
    if (!isRoot()) GTEST_SKIP() << "needs root to act as another user";
    QTemporaryDir dir, tmp;
    openUp(dir.path(), 0755); // root's folder: others may enter, not add files
    openUp(tmp.path(), 0777);
    const QString uid = QString::number(kOtherUid);
    QFile source(tmp.filePath(QStringLiteral("new content")));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("new");
    source.close();
    const auto save = [&](const QString& target) {
        return runHelper({QStringLiteral("--uid"), uid, QStringLiteral("save"), target, source.fileName()}, tmp.path());
    };

    const QString roots = dir.filePath(QStringLiteral("roots.htm"));
    writeBytes(roots, "old");
    HelperResult r = save(roots);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errorText, writeMessage(roots) + QStringLiteral("Zugriff verweigert."));
    EXPECT_EQ(readBytes(roots), QByteArray("old"));

    const QString fresh = dir.filePath(QStringLiteral("new.htm"));
    r = save(fresh);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errorText, writeMessage(fresh) + QStringLiteral("Zugriff verweigert."));

    // Their own file in a folder that takes no new files: written in place,
    // with the backup in the temporary folder.
    const QString mine = dir.filePath(QStringLiteral("mine.htm"));
    writeBytes(mine, "old");
    giveTo(mine, kOtherUid);
    const ino_t inode = statOf(mine).st_ino;
    r = save(mine);
    EXPECT_EQ(r.exitCode, 0) << r.errorText.toStdString();
    EXPECT_EQ(readBytes(mine), QByteArray("new"));
    EXPECT_EQ(statOf(mine).st_ino, inode);
    EXPECT_EQ(statOf(mine).st_uid, kOtherUid);
    EXPECT_EQ(entries(dir.path()), (QStringList{"mine.htm", "roots.htm"}));
    EXPECT_EQ(entries(tmp.path()), QStringList{"new content"}) << "backup left behind";

    // Their file in a group they are not in: a rename could not keep the group, so in place.
    const QString foreignGroup = tmp.filePath(QStringLiteral("group.htm"));
    writeBytes(foreignGroup, "old");
    ASSERT_EQ(::chown(QFile::encodeName(foreignGroup).constData(), kOtherUid, 0), 0);
    openUp(foreignGroup, 0664);
    const ino_t groupInode = statOf(foreignGroup).st_ino;
    r = save(foreignGroup);
    EXPECT_EQ(r.exitCode, 0) << r.errorText.toStdString();
    EXPECT_EQ(readBytes(foreignGroup), QByteArray("new"));
    EXPECT_EQ(statOf(foreignGroup).st_gid, 0u);
    EXPECT_EQ(statOf(foreignGroup).st_ino, groupInode);
    EXPECT_EQ(statOf(foreignGroup).st_mode & 07777, 0664u);
    ASSERT_TRUE(QFile::remove(foreignGroup));

    // A read-only file of theirs in a folder they may write: not replaced.
    const QString readOnly = tmp.filePath(QStringLiteral("readonly.htm"));
    writeBytes(readOnly, "old");
    giveTo(readOnly, kOtherUid);
    openUp(readOnly, 0444);
    r = save(readOnly);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errorText, writeMessage(readOnly) + QStringLiteral("Zugriff verweigert."));
    EXPECT_EQ(readBytes(readOnly), QByteArray("old"));
    EXPECT_EQ(entries(tmp.path()), (QStringList{"new content", "readonly.htm"}));
}

namespace {
// Makes writes beyond `bytes` fail as on a full disk (EFBIG instead of ENOSPC).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
} // namespace

TEST(SaveFileAtomically, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
    QTemporaryDir dir;
    const QByteArray old(200000, 'o');
    const std::string huge(3 << 20, 'n');
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    const QString link = dir.filePath(QStringLiteral("link.htm"));
    writeBytes(file, old);
    QString replaced, inPlace;
    {
        FileSizeLimit limit(1 << 20);
        replaced = errorOf([&] { saveFileAtomically(file, huge); });
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
        inPlace = errorOf([&] { saveFileAtomically(link, huge); });
    }
    EXPECT_EQ(replaced, writeMessage(file) + QStringLiteral("Die Datei ist zu groß."));
    EXPECT_EQ(inPlace, writeMessage(link) + QStringLiteral("Die Datei ist zu groß."));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(readBytes(link), old);
    EXPECT_EQ(entries(dir.path()), (QStringList{"link.htm", "page.htm"}));

    // The same sizes without the limit go through.
    saveFileAtomically(link, huge);
    EXPECT_EQ(readBytes(file).size(), qsizetype(huge.size()));
}

TEST(SaveFileAtomically, AKillMidwayLeavesTheOldOrTheNewFileWhole) {
    QTemporaryDir dir;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    QByteArray old(40 << 20, Qt::Uninitialized), fresh(50 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < old.size(); ++i) old[i] = char('a' + i % 23);
    for (qsizetype i = 0; i < fresh.size(); ++i) fresh[i] = char('A' + i % 19);
    const QString source = dir.filePath(QStringLiteral("new content"));
    writeBytes(source, fresh);

    for (bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "in place" : "by rename");
        QTemporaryDir site;
        const QString target = site.filePath(QStringLiteral("big.htm"));
        writeBytes(target, old);
        if (hardLinked) {
            ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                             QFile::encodeName(site.filePath(QStringLiteral("second.htm"))).constData()), 0);
        }
        const QStringList args{QStringLiteral("save"), target, source};
        QStringList files{QStringLiteral("big.htm")};
        if (hardLinked) files.append(QStringLiteral("second.htm"));
        // A kill may leave the one temporary file, and in place the one backup.
        QStringList allowed = files + QStringList{QStringLiteral(".big.htm.tagsmith.tmp")};
        if (hardLinked) allowed.append(QStringLiteral(".big.htm.tagsmith.bak"));

        // Whole runs first, to learn how long a save takes here.
        qint64 fullRun = std::numeric_limits<qint64>::max();
        for (int run = 0; run < 2; ++run) {
            writeBytes(target, old);
            QElapsedTimer timer;
            timer.start();
            ASSERT_EQ(runHelper(args).exitCode, 0);
            fullRun = std::min(fullRun, timer.elapsed());
            ASSERT_EQ(readBytes(target), fresh);
        }

        // The kills are spread over the whole run, each at a random moment of its stretch.
        const int rounds = 8;
        int sawOld = 0, sawNew = 0, sawBackup = 0;
        for (int round = 0; round < rounds; ++round) {
            writeBytes(target, old); // in place, so hard links stay
            const auto delay = std::chrono::microseconds(
                (fullRun * 1000 * round + qint64(rng() % unsigned(fullRun * 1000 + 1))) / rounds);
            QProcess p;
            p.start(QStringLiteral(DOCFILE_HELPER), args);
            ASSERT_TRUE(p.waitForStarted());
            std::this_thread::sleep_for(delay);
            p.kill();
            p.waitForFinished();

            for (const QString& name : entries(site.path()))
                ASSERT_TRUE(allowed.contains(name)) << "left behind: " << name.toStdString();
            const QByteArray now = readBytes(target);
            if (now == old) {
                ++sawOld;
            } else if (now == fresh) {
                ++sawNew;
            } else {
                // In place the target may be half written, but then its backup is offered and restores it.
                ASSERT_TRUE(hardLinked) << "target corrupted after a kill by rename, " << now.size() << " bytes";
                test::ScopedPlatform platform;
                platform.boxes.answers = {Answer::Yes};
                offerSaveBackup(nullptr, target);
                ASSERT_EQ(platform.boxes.shown.size(), 1u) << "target corrupted and no backup offered";
                ASSERT_EQ(readBytes(target), old) << "the backup did not restore the old content whole";
                ++sawBackup;
            }
            // The next save removes whatever the killed one left.
            ASSERT_EQ(runHelper(args).exitCode, 0);
            ASSERT_EQ(entries(site.path()), files);
        }
        std::cout << (hardLinked ? "in place" : "by rename") << ": full run " << fullRun << " ms, old " << sawOld
                  << ", new " << sawNew << ", restorable from backup " << sawBackup << '\n';
    }
}

namespace {

// Runs a save in the helper, which the system kills when a write passes `limit` bytes.
bool saveKilledAt(const QString& target, const QString& source, rlim_t limit) {
    QProcess p;
    p.setChildProcessModifier([limit] {
        const rlimit size{limit, limit}, core{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &size);
        ::setrlimit(RLIMIT_CORE, &core);
        std::signal(SIGXFSZ, SIG_DFL);
    });
    p.start(QStringLiteral(DOCFILE_HELPER), {QStringLiteral("save"), target, source});
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::CrashExit;
}

QByteArray documentText(const THTML& doc) {
    const std::string_view v = doc.RichEdit()->DocumentBytes();
    return QByteArray(v.data(), qsizetype(v.size()));
}

} // namespace

TEST(SaveFileAtomically, WhatAKilledSaveLeavesIsOfferedWhenTornAndRemovedByTheNextSave) {
    QTemporaryDir dir;
    QByteArray old(100000, Qt::Uninitialized), fresh(300000, Qt::Uninitialized);
    for (qsizetype i = 0; i < old.size(); ++i) old[i] = char('a' + i % 23);
    for (qsizetype i = 0; i < fresh.size(); ++i) fresh[i] = char('A' + i % 19);
    const QString source = dir.filePath(QStringLiteral("new content"));
    writeBytes(source, fresh);

    struct Case {
        const char* what;
        bool hardLinked;
        rlim_t limit;
        const char* leftover;
    };
    const Case cases[] = {
        {"killed writing the new file", false, 50000, ".page.htm.tagsmith.tmp"},
        {"killed writing the backup", true, 50000, ".page.htm.tagsmith.tmp"},
        {"killed overwriting in place", true, 200000, ".page.htm.tagsmith.bak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir site;
        const QString target = site.filePath(QStringLiteral("page.htm"));
        writeBytes(target, old);
        QStringList files{QStringLiteral("page.htm")};
        if (c.hardLinked) {
            files.append(QStringLiteral("second.htm"));
            ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(site.filePath(files[1])).constData()), 0);
        }
        const bool torn = qsizetype(c.limit) > old.size();
        ASSERT_TRUE(saveKilledAt(target, source, c.limit));
        QStringList left = files + QStringList{QString::fromLatin1(c.leftover)};
        left.sort();
        EXPECT_EQ(entries(site.path()), left);
        EXPECT_TRUE(readBytes(target) == (torn ? fresh.left(qsizetype(c.limit)) : old));

        // Opening it: a torn file is offered for restoring, declined once, then taken.
        test::ScopedPlatform platform;
        test::FreshRegistry registry;
        platform.boxes.answers = {Answer::No, Answer::Yes};
        const QString question =
            QStringLiteral("The last save of \"%1\" did not finish, so the file may be incomplete. Its content "
                           "from before that save is kept in \"%2\". Restore it?")
                .arg(target, site.filePath(QString::fromLatin1(c.leftover)));
        for (int open = 0; open < (torn ? 2 : 1); ++open) {
            THTML doc;
            doc.SetFileName(target);
            doc.LoadDocument();
            EXPECT_TRUE(documentText(doc) == (torn && open == 0 ? fresh.left(qsizetype(c.limit)) : old)) << open;
        }
        EXPECT_EQ(platform.boxes.texts(), torn ? (QStringList{question, question}) : QStringList());
        EXPECT_TRUE(readBytes(target) == old);
        if (torn) {
            EXPECT_EQ(entries(site.path()), files);
            ASSERT_TRUE(saveKilledAt(target, source, c.limit)); // and once more, to leave a backup
        }

        saveFileAtomically(target, view(fresh));
        EXPECT_TRUE(readBytes(target) == fresh);
        EXPECT_EQ(entries(site.path()), files);
        if (torn) {
            // A save by rename, once the file has one name left, removes the backup too.
            writeBytes(target, old);
            ASSERT_TRUE(saveKilledAt(target, source, c.limit));
            ASSERT_TRUE(QFile::remove(site.filePath(files[1])));
            saveFileAtomically(target, view(fresh));
            EXPECT_EQ(entries(site.path()), QStringList{files[0]});
        }
    }
}

TEST(SaveFileAtomically, WaitsWhileAnotherProcessSavesTheSameFile) {
    QTemporaryDir site;
    const QString target = site.filePath(QStringLiteral("page.htm"));
    const QString source = site.filePath(QStringLiteral("source"));
    const QString temp = site.filePath(QStringLiteral(".page.htm.tagsmith.tmp"));
    writeBytes(target, "old");
    writeBytes(source, "new");
    writeBytes(temp, "theirs");
    const int theirs = ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(theirs, 0);
    ASSERT_EQ(::flock(theirs, LOCK_EX), 0);

    QProcess p;
    p.start(QStringLiteral(DOCFILE_HELPER), {QStringLiteral("save"), target, source});
    EXPECT_FALSE(p.waitForFinished(700)) << "did not wait for the save in progress";
    EXPECT_EQ(readBytes(temp), QByteArray("theirs"));
    EXPECT_EQ(readBytes(target), QByteArray("old"));
    ::close(theirs); // that save ends without a rename, as a killed one does
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(readBytes(target), QByteArray("new"));
    EXPECT_EQ(entries(site.path()), (QStringList{"page.htm", "source"}));
}

namespace {

struct CollectingSink : ts::DocumentSink {
    QByteArray text;
    int begins = 0;
    void begin(qint64) override {
        text.clear();
        ++begins;
    }
    void append(std::string_view utf8) override { text.append(utf8.data(), qsizetype(utf8.size())); }
};

} // namespace

TEST(StreamDocumentFile, GivesWhatTheWholeFileReadGivesWhateverThePieceSize) {
    QTemporaryDir dir;
    const QByteArray samples[] = {
        QByteArray(""),
        QByteArray("\xEF\xBB\xBF"),
        QByteArray("\xEF\xBB\xBF<P>Gr\xC3\xBC\xC3\x9F" "e</P>\r\n"),
        QByteArray("a\rb\nc"),
        QByteArray("x\r"),
        QByteArray("\xF0\x9F\x98\x80 emoji \xE2\x82\xAC\n"),
        QByteArray("caf\xE9\r\n\x80\x81 late invalid after valid text"),
        QByteArray("valid \xC3\xA9 then cut \xC3"),
        QByteArray("\xEF\xBB"),
    };
    int k = 0;
    for (const QByteArray& bytes : samples) {
        const QString path = dir.filePath(QStringLiteral("s%1.html").arg(k++));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const ts::LoadedDocument whole = ts::loadDocumentFile(path);
        for (size_t chunk : {size_t(1), size_t(2), size_t(3), size_t(5), size_t(4096)}) {
            CollectingSink sink;
            const ts::DocumentShape shape = ts::streamDocumentFile(path, sink, chunk);
            EXPECT_EQ(sink.text, whole.utf8) << k << " chunk " << chunk;
            EXPECT_EQ(shape.format, whole.format) << k << " chunk " << chunk;
            EXPECT_EQ(shape.lineBreak, whole.lineBreak) << k << " chunk " << chunk;
        }
    }
}

TEST(StreamDocumentFile, RefusesNulBytesAndMissingFilesNamingThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nul.html"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("abc\0def", 7));
    f.close();
    CollectingSink sink;
    try {
        ts::streamDocumentFile(path, sink, 2);
        FAIL() << "no error";
    } catch (const TError& e) {
        EXPECT_TRUE(e.message().contains(path));
    }
    EXPECT_THROW(ts::streamDocumentFile(dir.filePath(QStringLiteral("missing.html")), sink), TError);
}

// ---- Identity -------------------------------------------------------------

// What loading and saving give as the file's identity is what the file is
// afterwards, device, inode and change time included: the disk watch takes it
// as the base, so anything else would make it ask about our own save.
TEST(FileIdentityOf, LoadAndSaveGiveTheFileAsTheyLeftIt) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    const QString linked = dir.filePath(QStringLiteral("linked.htm"));
    writeBytes(linked, "linked");
    ASSERT_EQ(::link(QFile::encodeName(linked).constData(), QFile::encodeName(dir.filePath("second")).constData()), 0);
    struct Case {
        const char* what;
        QString path;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"new file", file, "new"},
        {"replaced by a rename", file, "replaced \xFC"},
        {"written in place (hard link)", linked, "in place"},
    };
    for (const Case& c : cases) {
        const FileIdentity saved = saveFileAtomically(c.path, view(c.bytes));
        const FileIdentity now = FileIdentity::of(c.path);
        EXPECT_TRUE(saved.exists && !saved.partial) << c.what;
        EXPECT_EQ(saved.size, c.bytes.size()) << c.what;
        EXPECT_TRUE(saved.same(now)) << c.what;
        EXPECT_EQ(saved.ctimeNs, now.ctimeNs) << c.what;
        EXPECT_EQ(saved.inode, now.inode) << c.what;

        struct : DocumentSink {
            void begin(qint64) override {}
            void append(std::string_view) override {}
        } sink;
        EXPECT_TRUE(loadDocumentFile(c.path).identity.same(now)) << c.what;
        EXPECT_TRUE(streamDocumentFile(c.path, sink).identity.same(now)) << c.what;
    }
}
