#include "platform/registrystore.h"
#include "settings/tquillonregistry.h"
#include "regfixtures.h"

#include <gtest/gtest.h>

using namespace ts;

namespace {

const QStringList kSettingsParts{"Software", "Quillon", "Tagsmith", "Settings"};
const QStringList kGeneralParts = kSettingsParts + QStringList{"General"};
const QStringList kMiscParts = kSettingsParts + QStringList{"Misc"};

RegDocument parseOk(const QByteArray& bytes) {
    RegDocument::Damage damage;
    std::optional<RegDocument> doc = RegDocument::parse(bytes, &damage);
    EXPECT_TRUE(doc.has_value()) << "line " << damage.line << ": " << damage.what.toStdString();
    return doc ? *doc : RegDocument();
}

} // namespace

TEST(RegFileFormat, ReadsARegeditExportInUtf16WithByteOrderMark) {
    const RegDocument doc = parseOk(test::utf16leWithBom(test::kRegeditExport));

    EXPECT_EQ(*doc.find(hkey::CurrentUser, kSettingsParts, ""), RegData::string("Standard"));
    EXPECT_EQ(*doc.find(hkey::CurrentUser, kSettingsParts, "Author"), RegData::string(QString::fromUtf8("Jörg \"JJ\" Müller")));
    EXPECT_EQ(*doc.find(hkey::CurrentUser, kGeneralParts, "Splash"), RegData::dword(1));
    EXPECT_EQ(*doc.find(hkey::CurrentUser, kGeneralParts, "AppMaxi"), RegData::dword(0));
    EXPECT_EQ(*doc.find(hkey::CurrentUser, kMiscParts, "ExtBrowser"),
              RegData::string("C:\\Programme\\Netscape\\netscape.exe"));
    // hex(2) spread over a continuation line, kept unexpanded with its terminating zero.
    EXPECT_EQ(*doc.find(hkey::CurrentUser, kMiscParts, "Path"), RegData::expandString("%SystemRoot%\\bin"));
    EXPECT_EQ(*doc.find(hkey::CurrentUser, kMiscParts, "Blob"), RegData::binary(QByteArray("\x01\x02\xff", 3)));
    const RegData* big = doc.find(hkey::CurrentUser, kMiscParts, "Big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->rawType, regtype::Qword);
    EXPECT_EQ(big->type(), RegType::Other);
    EXPECT_EQ(big->bytes, QByteArray("\x01\0\0\0\0\0\0\0", 8));
    const RegData* empty = doc.find(hkey::CurrentUser, kMiscParts, "Nothing");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->bytes.isEmpty());

    EXPECT_TRUE(doc.keyExists(hkey::CurrentUser, {"Software"}));
    EXPECT_TRUE(doc.keyExists(hkey::CurrentUser, {"SOFTWARE", "quillon"}));
    EXPECT_FALSE(doc.keyExists(hkey::CurrentUser, kSettingsParts + QStringList{"Author"}));
    EXPECT_FALSE(doc.keyExists(hkey::LocalMachine, {"Software"}));
    EXPECT_EQ(doc.find(hkey::CurrentUser, kGeneralParts, "Missing"), nullptr);
}

TEST(RegFileFormat, ReadsTheSameTextInUtf8WithOrWithoutByteOrderMarkAndWithPlainLineFeeds) {
    const RegDocument fromUtf16 = parseOk(test::utf16leWithBom(test::kRegeditExport));
    const QByteArray utf8 = test::kRegeditExport.toUtf8();
    EXPECT_EQ(parseOk(utf8), fromUtf16);
    EXPECT_EQ(parseOk("\xEF\xBB\xBF" + utf8), fromUtf16);
    EXPECT_EQ(parseOk(QByteArray(utf8).replace("\r\n", "\n")), fromUtf16);
}

TEST(RegFileFormat, WritesUtf8WithCrLfThatReadsBackTheSame) {
    const RegDocument doc = parseOk(test::utf16leWithBom(test::kRegeditExport));
    const QByteArray written = doc.toRegFile();

    EXPECT_TRUE(written.startsWith("Windows Registry Editor Version 5.00\r\n\r\n"));
    EXPECT_EQ(written.count('\n'), written.count("\r\n"));
    const QString text = QString::fromUtf8(written);
    EXPECT_EQ(text.toUtf8(), written); // valid UTF-8, no byte order mark
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings]\r\n@=\"Standard\"\r\n"));
    EXPECT_TRUE(text.contains(QString::fromUtf8("\"Author\"=\"Jörg \\\"JJ\\\" Müller\"\r\n")));
    EXPECT_TRUE(text.contains("\"ExtBrowser\"=\"C:\\\\Programme\\\\Netscape\\\\netscape.exe\"\r\n"));
    EXPECT_TRUE(text.contains("\"Splash\"=dword:00000001\r\n"));
    EXPECT_TRUE(text.contains("\"Blob\"=hex:01,02,ff\r\n"));
    EXPECT_TRUE(text.contains("\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"));
    EXPECT_TRUE(text.contains("\"Nothing\"=hex:\r\n"));
    EXPECT_TRUE(text.contains("\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
                              "  00,25,00,5c,00,62,00,69,00,6e,00,00,00\r\n"));
    // Parents come before their children.
    EXPECT_LT(text.indexOf("[HKEY_CURRENT_USER\\Software\\Quillon]"),
              text.indexOf("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith]"));

    const RegDocument back = parseOk(written);
    EXPECT_EQ(back, doc);
    EXPECT_EQ(back.toRegFile(), written);
}

TEST(RegFileFormat, LongHexDataIsWrappedAsRegeditDoes) {
    RegDocument doc;
    QByteArray blob;
    for (int i = 0; i < 300; ++i) blob.append(char(i * 7));
    doc.set(hkey::CurrentUser, {"Software", "Blobs"}, "A rather long value name", RegData::binary(blob));
    const QByteArray written = doc.toRegFile();

    const QList<QByteArray> lines = written.split('\n');
    int continued = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray l = lines[i];
        l.chop(l.endsWith('\r') ? 1 : 0);
        EXPECT_LE(l.size(), 80) << l.constData();
        if (l.endsWith('\\')) {
            ++continued;
            EXPECT_TRUE(l.endsWith(",\\"));
            EXPECT_TRUE(lines[i + 1].startsWith("  ") && !lines[i + 1].startsWith("   "));
        }
    }
    EXPECT_GE(continued, 300 * 3 / 80);
    EXPECT_EQ(*parseOk(written).find(hkey::CurrentUser, {"software", "BLOBS"}, "a rather long value name"),
              RegData::binary(blob));
}

TEST(RegFileFormat, StringsThatQuotesCannotHoldAreWrittenAsHexAndComeBackExactly) {
    const QString loneSurrogate = QString("x") + QChar(char16_t(0xD800)) + QString("y");
    const std::vector<RegData> values = {
        RegData::string("two\r\nlines"),
        RegData::string(QString("ab") + QChar(0) + QString("cd")),
        RegData{regtype::Sz, QByteArray("a\0b\0", 4)}, // no terminating zero
        RegData{regtype::Sz, QByteArray("a\0b", 3)},   // odd length
        RegData::string(loneSurrogate),
        RegData::string("tab\there"), // regedit writes tabs as they are
        RegData::string(""),
    };
    RegDocument doc;
    for (size_t i = 0; i < values.size(); ++i)
        doc.set(hkey::CurrentUser, {"K"}, QString("v%1").arg(i), values[i]);
    const QByteArray written = doc.toRegFile();
    const QString text = QString::fromUtf8(written);
    EXPECT_TRUE(text.contains("\"v0\"=hex(1):"));
    EXPECT_TRUE(text.contains("\"v4\"=hex(1):"));
    EXPECT_TRUE(text.contains("\"v5\"=\"tab\there\"\r\n"));
    EXPECT_TRUE(text.contains("\"v6\"=\"\"\r\n"));

    const RegDocument back = parseOk(written);
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(*back.find(hkey::CurrentUser, {"K"}, QString("v%1").arg(i)), values[i]) << i;
}

TEST(RegFileFormat, KeyAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    RegDocument doc;
    doc.set(hkey::CurrentUser, splitKeyPath("Software\\Quillon\\Tagsmith\\Settings\\"), "Author", RegData::string("A"));
    doc.set(hkey::CurrentUser, splitKeyPath("\\SOFTWARE\\quillon\\\\TAGSMITH\\settings\\General\\"), "Splash",
            RegData::dword(1));
    doc.set(hkey::CurrentUser, splitKeyPath("software\\QUILLON\\tagsmith\\SETTINGS\\general"), "SPLASH",
            RegData::dword(0));

    const QString text = QString::fromUtf8(doc.toRegFile());
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings]\r\n\"Author\"=\"A\""));
    EXPECT_TRUE(
        text.contains("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings\\General]\r\n\"Splash\"=dword:00000000\r\n\r\n"));
    EXPECT_FALSE(text.contains("SPLASH"));
    EXPECT_FALSE(text.contains("SOFTWARE"));
    // One section per level, as regedit lists them.
    EXPECT_EQ(doc.keys().size(), 5u);
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software]\r\n"));
    EXPECT_EQ(splitKeyPath("Software\\Quillon\\Tagsmith\\Settings\\"), kSettingsParts);
}

TEST(RegFileFormat, ADamagedFileNamesTheFaultAndItsLine) {
    struct Case {
        QByteArray content;
        int line;
        const char* fault;
    };
    const QByteArray head = "Windows Registry Editor Version 5.00\r\n\r\n";
    const QByteArray key = "[HKEY_CURRENT_USER\\Software\\Quillon]\r\n";
    const std::vector<Case> cases = {
        {"", 1, "Kopfzeile"},
        {"REGEDIT4\r\n\r\n" + key, 1, "Kopfzeile"},
        {head + "\"X\"=dword:00000001\r\n", 3, "Wert vor dem ersten Schlüssel"},
        {head + "[HKEY_CURRENT_USR\\Software]\r\n", 3, "unbekannter Stammschlüssel \"HKEY_CURRENT_USR\""},
        {head + "[HKEY_CURRENT_USER\\Software\r\n", 3, "schließende Klammer"},
        {head + "[HKEY_CURRENT_USER\\Software\\\\Quillon]\r\n", 3, "leerer Schlüsselname"},
        {head + key + "\"X\"=dword:0000000g\r\n", 4, "ungültiger DWORD-Wert"},
        {head + key + "\"X\"=dword:123456789\r\n", 4, "ungültiger DWORD-Wert"},
        {head + key + "\"X\"=\"abc\r\n", 4, "schließendes Anführungszeichen fehlt"},
        {head + key + "\"X\"=\"a\\qb\"\r\n", 4, "Escape-Folge"},
        {head + key + "\"X\"=\"a\" junk\r\n", 4, "Zeichen nach dem Ende"},
        {head + key + "\"X\"=hex:01,0g\r\n", 4, "Hexadezimaldaten"},
        {head + key + "\"X\"=hex:01,2\r\n", 4, "Hexadezimaldaten"},
        {head + key + "\"X\"=hex(zz):01\r\n", 4, "ungültiger Datentyp"},
        {head + key + "\"Y\"=dword:1\r\n\"X\"=hex:01,02,\\\r\n", 5, "Fortsetzungszeile fehlt"},
        {head + key + "\"X\"=text\r\n", 4, "unbekannter Datentyp"},
        {head + key + "\"X\" dword:1\r\n", 4, "\"=\" fehlt"},
        {head + key + "\"X\"=-\r\n", 4, "Löschen von Werten"},
        {head + "[-HKEY_CURRENT_USER\\Software]\r\n", 3, "Löschen von Schlüsseln"},
        {head + key + "garbage\r\n", 4, "unverständliche Zeile"},
        {head + key + QByteArray("\"X\"=dword:0000", 14) + QByteArray(6, '\0') + "\r\n", 4, "Steuerzeichen"},
        {head + key + "\"X\"=\"\xC3\x28\"\r\n", 0, "Zeichenkodierung"},
        {"\xFF\xFE" + QByteArray("W\0i\0n", 5), 0, "UTF-16"},
    };
    for (const Case& c : cases) {
        RegDocument::Damage damage;
        EXPECT_FALSE(RegDocument::parse(c.content, &damage).has_value()) << c.content.constData();
        EXPECT_EQ(damage.line, c.line) << c.content.constData();
        EXPECT_TRUE(damage.what.contains(QString::fromUtf8(c.fault)))
            << c.content.constData() << " -> " << damage.what.toStdString();
    }
}
