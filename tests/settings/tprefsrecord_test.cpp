#include "settings/prefslayout.h"
#include "settings/tprefsrecord.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include "support/editorfixture.h"
using ts::test::errorOf;

using namespace ts;

namespace {

const QString kSettings = "Software\\Quillon\\Tagsmith\\Settings\\";
const QString kGeneral = "Software\\Quillon\\Tagsmith\\Settings\\General";
const QString kEditor = "Software\\Quillon\\Tagsmith\\Settings\\Editor";
const QString kMisc = "Software\\Quillon\\Tagsmith\\Settings\\Misc";
const QString kNetscape = "Software\\Quillon\\Tagsmith\\Settings\\Netscape";
const QString kFtp = "Software\\Quillon\\Tagsmith\\Settings\\FTP";


// A record where every field differs from a fresh one and from its neighbours.
TPrefsRecord filledRecord() {
    TPrefsRecord r;
    int i = 0;
    for (const PrefsEntry& e : kPrefsLayout) {
        ++i;
        std::visit(
            [&](auto member) {
                auto& f = r.*member;
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, bool>) f = true;
                else if constexpr (std::is_same_v<T, QString>) f = QString::fromUtf8("Wert %1: C:\\Pfad \"ä\"").arg(i);
                else if constexpr (std::is_same_v<T, uint8_t>) f = uint8_t(200 + i);
                else f = int32_t(0x00102030 * i) * (i % 2 ? -1 : 1);
            },
            e.field);
    }
    return r;
}

std::vector<TRegValue> fieldsOf(const TPrefsRecord& r) {
    std::vector<TRegValue> out;
    for (const PrefsEntry& e : kPrefsLayout) out.push_back(prefsFieldValue(r, e));
    return out;
}

size_t indexOf(const char* valueName) { return size_t(findPrefsEntry(QString::fromLatin1(valueName)) - kPrefsLayout.data()); }

} // namespace

TEST(TPrefsRecord, AnEmptyRegistryLoadsFalseZeroAndEmptyTexts) {
    test::ScopedRegistryFile reg;
    const TPrefsRecord r = TPrefsRecord::load();
    for (const PrefsEntry& e : kPrefsLayout) {
        std::visit(
            [&](auto member) {
                const auto& f = r.*member;
                using T = std::decay_t<decltype(f)>;
                if constexpr (std::is_same_v<T, QString>) EXPECT_TRUE(f.isEmpty()) << e.valueName;
                else EXPECT_EQ(f, T{}) << e.valueName;
            },
            e.field);
    }
    EXPECT_FALSE(r.UseNetscapeExt);
    EXPECT_TRUE(reg.bytes().isEmpty()); // loading writes nothing
}

TEST(TPrefsRecord, SaveWritesAll22ValuesInOrderAtTheirKeys) {
    test::ScopedMemoryRegistry mem;
    TPrefsRecord r = filledRecord();
    r.NewDoc = false;
    r.SaveSettings();
    const QStringList expected = {
        kGeneral + "|Splash",    kGeneral + "|AppMaxi",     kGeneral + "|NewDoc",      kGeneral + "|DocMaxi",
        kGeneral + "|MinDoc",    kGeneral + "|ShowComp",    kEditor + "|TextCol",      kEditor + "|BGCol",
        kEditor + "|StdFont",    kEditor + "|StdFontSize",  kEditor + "|Text",         kEditor + "|Links",
        kEditor + "|Images",     kEditor + "|Other",        kMisc + "|ExtBrowser",     kSettings + "|Author",
        kSettings + "|EMail",    kNetscape + "|UseNetscapeExt", kFtp + "|Host",        kFtp + "|Username",
        kFtp + "|Password",      kFtp + "|InitDir",
    };
    EXPECT_EQ(mem.store.writeLog, expected);

    const auto stored = [&](const QString& key, const char* name) {
        return mem.store.readValue(hkey::CurrentUser, key, name);
    };
    EXPECT_EQ(stored(kGeneral, "Splash"), RegData::dword(1));
    EXPECT_EQ(stored(kGeneral, "NewDoc"), RegData::dword(0));
    EXPECT_EQ(stored(kEditor, "TextCol"), RegData::dword(uint32_t(r.TextCol)));
    EXPECT_EQ(stored(kEditor, "StdFontSize"), RegData::dword(r.StdFontSize));
    EXPECT_EQ(stored(kEditor, "StdFont"), RegData::string(r.StdFont));
    EXPECT_EQ(stored(kFtp, "Password"), RegData::string(r.Password));
}

TEST(TPrefsRecord, AuthorAndEMailLieInTheSettingsKeyItself) {
    test::ScopedRegistryFile reg;
    TPrefsRecord r;
    r.Author = "Jo";
    r.EMail = "jo@example.org";
    r.SaveSettings();

    RegistryStore& store = registryStore();
    EXPECT_EQ(store.readValue(hkey::CurrentUser, "Software\\Quillon\\Tagsmith\\Settings", "Author"),
              RegData::string("Jo"));
    EXPECT_EQ(store.readValue(hkey::CurrentUser, "Software\\Quillon\\Tagsmith\\Settings", "EMail"),
              RegData::string("jo@example.org"));
    EXPECT_FALSE(store.keyExists(hkey::CurrentUser, kSettings + "Author"));
    EXPECT_FALSE(store.keyExists(hkey::CurrentUser, kSettings + "EMail"));
    const QString text = QString::fromUtf8(reg.bytes());
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings]\r\n"
                              "\"Author\"=\"Jo\"\r\n\"EMail\"=\"jo@example.org\"\r\n"));
    for (const char* sub : {"General", "Editor", "Misc", "Netscape", "FTP"})
        EXPECT_TRUE(text.contains(QString("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings\\%1]\r\n").arg(sub)));
    EXPECT_EQ(text.count("[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings\\"), 5);
}

TEST(TPrefsRecord, EveryValueComesBackFromTheFile) {
    test::ScopedRegistryFile reg;
    const TPrefsRecord saved = filledRecord();
    saved.SaveSettings();
    EXPECT_EQ(fieldsOf(TPrefsRecord::load()), fieldsOf(saved));
    EXPECT_TRUE(TPrefsRecord::load().Splash);
    EXPECT_EQ(TPrefsRecord::load().Password, saved.Password);
}

TEST(TPrefsRecord, FontSizeKeepsTheLowEightBits) {
    test::ScopedMemoryRegistry mem;
    test::setPreference("StdFontSize", int32_t(266));
    EXPECT_EQ(TPrefsRecord::load().StdFontSize, 10);
    test::setPreference("StdFontSize", int32_t(-1));
    EXPECT_EQ(TPrefsRecord::load().StdFontSize, 255);
}

TEST(TPrefsRecord, AStoredTwoReadsTrueAndIsSavedAsOne) {
    test::ScopedMemoryRegistry mem;
    mem.store.writeValue(hkey::CurrentUser, kNetscape, "UseNetscapeExt", RegData::dword(2));
    const TPrefsRecord r = TPrefsRecord::load();
    EXPECT_TRUE(r.UseNetscapeExt);
    r.SaveSettings();
    EXPECT_EQ(mem.store.readValue(hkey::CurrentUser, kNetscape, "UseNetscapeExt"), RegData::dword(1));
}

TEST(TPrefsRecord, AValueThatIsNotStoredKeepsTheFieldsValue) {
    test::ScopedMemoryRegistry mem;
    test::setPreference("StdFont", QString("Courier New"));
    TPrefsRecord r = filledRecord();
    const std::vector<TRegValue> before = fieldsOf(r);
    r.LoadSettings();
    std::vector<TRegValue> expected = before;
    expected[indexOf("StdFont")] = QString("Courier New");
    EXPECT_EQ(fieldsOf(r), expected);
}

TEST(TPrefsRecord, AValueOfTheWrongTypeStopsTheLoadThere) {
    test::ScopedMemoryRegistry mem;
    const TPrefsRecord stored = filledRecord();
    stored.SaveSettings();
    test::setPreference("BGCol", QString("white")); // a string where a DWORD is read

    TPrefsRecord r;
    EXPECT_EQ(errorOf([&] { r.LoadSettings(); }), "Ungültiger Datentyp für 'BGCol'");
    const std::vector<TRegValue> loaded = fieldsOf(r), want = fieldsOf(stored), fresh = fieldsOf(TPrefsRecord{});
    const size_t failing = indexOf("BGCol");
    for (size_t i = 0; i < kPrefsLayout.size(); ++i)
        EXPECT_EQ(loaded[i], i < failing ? want[i] : fresh[i]) << kPrefsLayout[i].valueName;

    // Saving repairs it, and the next load succeeds.
    stored.SaveSettings();
    EXPECT_EQ(fieldsOf(TPrefsRecord::load()), want);
}

TEST(TPrefsRecord, AFailedWriteStopsTheSaveThere) {
    test::ScopedMemoryRegistry mem;
    mem.store.failingWrites = {"StdFont"};
    EXPECT_EQ(errorOf([] { filledRecord().SaveSettings(); }), "Konnte Daten für 'StdFont' nicht setzen");
    EXPECT_EQ(mem.store.writeLog.size(), qsizetype(indexOf("StdFont")));
    EXPECT_EQ(mem.store.writeLog.last(), kEditor + "|BGCol");
    EXPECT_FALSE(mem.store.readValue(hkey::CurrentUser, kEditor, "StdFontSize").has_value());
}

TEST(TestHelpers, ScopedRegistryFileGivesEachTestAFreshFileAndRestoresTheVariable) {
    const QByteArray outer = qgetenv("TAGSMITH_REGISTRY");
    QString first;
    {
        test::ScopedRegistryFile reg;
        first = reg.path();
        EXPECT_EQ(defaultRegistryPath(), reg.path());
        test::setPreference("MinDoc", true);
        test::setPreference("Author", QString("Ann"));
        const TPrefsRecord r = TPrefsRecord::load();
        EXPECT_TRUE(r.MinDoc);
        EXPECT_EQ(r.Author, "Ann");
        EXPECT_FALSE(r.DocMaxi);
        {
            test::ScopedMemoryRegistry mem;
            EXPECT_FALSE(TPrefsRecord::load().MinDoc);
            test::setPreference("MinDoc", true);
            EXPECT_EQ(mem.store.writeLog, QStringList{kGeneral + "|MinDoc"});
        }
        EXPECT_TRUE(TPrefsRecord::load().MinDoc);
    }
    EXPECT_EQ(qgetenv("TAGSMITH_REGISTRY"), outer);
    test::ScopedRegistryFile next;
    EXPECT_NE(next.path(), first);
    EXPECT_FALSE(TPrefsRecord::load().MinDoc);
}
