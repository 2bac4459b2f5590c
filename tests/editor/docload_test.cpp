#include "docfile_fixtures.h"
#include "support/plainutf8.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

using namespace ts;
using namespace ts::test;
using namespace docfiletest;

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

TEST(EncodeDocument, Windows1252WritesWhatItCannotHoldAsQuestionMarksAndListsIt) {
    const QByteArray text = QStringLiteral("a€b中c\U0001F600d中e\u0080f\u0081g").toUtf8();
    const EncodedDocument doc = encodeDocument(view(text), {TextEncoding::Windows1252, false});
    EXPECT_EQ(doc.bytes(), QByteArray("a\x80" "b?c?d?e?f\x81g"));
    EXPECT_EQ(doc.unmappable.size(), 3);
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

