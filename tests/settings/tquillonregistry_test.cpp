#include "settings/tquillonregistry.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include "support/editorfixture.h"
using ts::test::errorOf;

#include <cstring>

using namespace ts;

namespace {

const QString kKey = "Software\\Quillon\\Tagsmith\\Test";
const QStringList kKeyNames = splitKeyPath(kKey);


QByteArray le64(uint64_t v) {
    QByteArray b(8, '\0');
    for (int i = 0; i < 8; ++i) b[i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

uint64_t bitsOf(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}

} // namespace

TEST(TQuillonRegistry, EachKindIsWrittenAsItsRegistryTypeAndReadBack) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    const std::vector<std::pair<TRegValue, RegData>> table = {
        {true, RegData::dword(1)},
        {false, RegData::dword(0)},
        {int32_t(-2), RegData::dword(0xFFFFFFFEu)},
        {int32_t(0x808000), RegData::dword(0x808000)},
        {QString::fromUtf8("Grüße \\ \"x\""), RegData{regtype::Sz, QByteArray("G\0r\0\xFC\0\xDF\0e\0 \0\\\0 \0\"\0x\0\"\0\0\0", 24)}},
        {QString(), RegData{regtype::Sz, QByteArray(2, '\0')}},
        {1.5, RegData::binary(le64(bitsOf(1.5)))},
        {TCurrency{-1234567}, RegData::binary(le64(uint64_t(int64_t(-1234567))))},
        {TDateTimeValue{45000.25}, RegData::binary(le64(bitsOf(45000.25)))},
    };
    for (size_t i = 0; i < table.size(); ++i) {
        const QString name = QString("V%1").arg(i);
        reg.WriteValue(hkey::CurrentUser, kKey, name, table[i].first);
        const RegData* stored = mem.store.content.find(hkey::CurrentUser, kKeyNames, name);
        ASSERT_NE(stored, nullptr) << i;
        EXPECT_EQ(*stored, table[i].second) << i;
        // Read with a default of the same kind but another value.
        const TRegValue def = std::visit(
            [](const auto& v) -> TRegValue {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, QString>) return QString("default");
                else return T{};
            },
            table[i].first);
        EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, name, def), table[i].first) << i;
    }
}

TEST(TQuillonRegistry, TheOtherKindWritesNothingButCreatesTheKeyAndReadsNothing) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    reg.WriteValue(hkey::CurrentUser, kKey, "Nothing", TRegValue{});
    EXPECT_TRUE(mem.store.keyExists(hkey::CurrentUser, kKey));
    EXPECT_EQ(mem.store.readValue(hkey::CurrentUser, kKey, "Nothing"), std::nullopt);
    EXPECT_TRUE(mem.store.writeLog.isEmpty());

    reg.WriteValue(hkey::CurrentUser, kKey, "Flag", true);
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "Flag", TRegValue{}), TRegValue{});
}

TEST(TQuillonRegistry, AMissingKeyOrValueGivesTheDefault) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "X", true), TRegValue(true));
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "X", int32_t(7)), TRegValue(int32_t(7)));
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "X", QString("keep")), TRegValue(QString("keep")));
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "X", 2.5), TRegValue(2.5));
    reg.WriteValue(hkey::CurrentUser, kKey, "Y", int32_t(1));
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "X", false), TRegValue(false));
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "X", QString()), TRegValue(QString()));
    EXPECT_FALSE(mem.store.keyExists(hkey::CurrentUser, kKey + "\\Sub"));
}

TEST(TQuillonRegistry, ABooleanIsTrueForAnyNonZeroDword) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    for (uint32_t stored : {2u, 0xFFFFFFFFu, 0x100u, 1u}) {
        mem.store.content.set(hkey::CurrentUser, kKeyNames, "B", RegData::dword(stored));
        EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "B", false), TRegValue(true)) << stored;
    }
    mem.store.content.set(hkey::CurrentUser, kKeyNames, "B", RegData::dword(0));
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "B", true), TRegValue(false));
}

TEST(TQuillonRegistry, TextReadsExpandableStringsUnexpandedAndEndsAtTheFirstZero) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    const auto read = [&](const RegData& d) {
        mem.store.content.set(hkey::CurrentUser, kKeyNames, "T", d);
        return reg.ReadValue(hkey::CurrentUser, kKey, "T", QString("default"));
    };
    EXPECT_EQ(read(RegData::expandString("%TEMP%\\x")), TRegValue(QString("%TEMP%\\x")));
    EXPECT_EQ(read(RegData::string(QString("ab") + QChar(0) + "cd")), TRegValue(QString("ab")));
    EXPECT_EQ(read(RegData{regtype::Sz, QByteArray("a\0b\0c\0", 6)}), TRegValue(QString("abc")));
    EXPECT_EQ(read(RegData{regtype::Sz, QByteArray("a\0b", 3)}), TRegValue(QString("a")));
    EXPECT_EQ(read(RegData{regtype::Sz, QByteArray()}), TRegValue(QString()));
}

TEST(TQuillonRegistry, StoredDataOfTheWrongTypeOrSizeFailsWithTheValueName) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    const QString type = "Ungültiger Datentyp für 'Val'";
    const QString fetch = "Konnte Daten für 'Val' nicht holen";
    struct Case {
        RegData stored;
        TRegValue def;
        QString error;
    };
    const std::vector<Case> cases = {
        {RegData::string("5"), int32_t(0), type},             // a string where a DWORD is expected
        {RegData::string("true"), false, type},
        {RegData::expandString("1"), int32_t(0), type},
        {RegData::dword(1), QString(), type},                 // a DWORD where a string is expected
        {RegData::binary(QByteArray(4, '\1')), int32_t(0), type},
        {RegData::binary(QByteArray("a\0", 2)), QString(), type},
        {RegData{regtype::Qword, QByteArray(8, '\0')}, int32_t(0), type},
        {RegData{regtype::MultiSz, QByteArray(4, '\0')}, QString(), type},
        {RegData{regtype::Dword, QByteArray(2, '\0')}, int32_t(0), type},
        {RegData{regtype::Dword, QByteArray(8, '\0')}, false, fetch}, // more than a DWORD holds
        {RegData::binary(QByteArray(7, '\0')), 0.0, type},    // binary of the wrong length
        {RegData::binary(QByteArray(7, '\0')), TCurrency{}, type},
        {RegData::binary(QByteArray(9, '\0')), 0.0, fetch},   // larger than the space for the kind
        {RegData::binary(QByteArray(16, '\0')), TCurrency{}, fetch},
        {RegData::binary(QByteArray(4096, '\0')), TDateTimeValue{}, fetch},
        {RegData::dword(8), 0.0, type},
        {RegData::string("45000"), TDateTimeValue{}, type},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        mem.store.content.set(hkey::CurrentUser, kKeyNames, "Val", cases[i].stored);
        EXPECT_EQ(errorOf([&] { reg.ReadValue(hkey::CurrentUser, kKey, "Val", cases[i].def); }), cases[i].error)
            << i;
    }
}

TEST(TQuillonRegistry, OnlyThePredefinedRootsAreUsedAndAnythingElseMeansTheCurrentUser) {
    test::ScopedMemoryRegistry mem;
    TQuillonRegistry reg;
    for (uint32_t root = 0x80000000u; root <= 0x80000006u; ++root) {
        reg.WriteValue(root, kKey, "Root", int32_t(root & 0xF));
        const RegData* d = mem.store.content.find(root, kKeyNames, "Root");
        ASSERT_NE(d, nullptr) << root;
        EXPECT_EQ(*d, RegData::dword(root & 0xF));
        EXPECT_EQ(reg.ReadValue(root, kKey, "Root", int32_t(-1)), TRegValue(int32_t(root & 0xF)));
    }
    EXPECT_EQ(mem.store.content.keys().size(), 7u * 4u);

    int n = 100;
    for (uint32_t root : {0u, 1u, 0x7FFFFFFFu, 0x80000007u, 0x8000000Fu, 0xFFFFFFFFu}) {
        reg.WriteValue(root, kKey, "Stray", int32_t(++n));
        EXPECT_EQ(*mem.store.content.find(hkey::CurrentUser, kKeyNames, "Stray"), RegData::dword(uint32_t(n))) << root;
        EXPECT_EQ(reg.ReadValue(root, kKey, "Stray", int32_t(0)), TRegValue(int32_t(n))) << root;
    }
    EXPECT_EQ(mem.store.content.keys().size(), 7u * 4u);
    EXPECT_EQ(rootKeyName(hkey::DynData), "HKEY_DYN_DATA");
    EXPECT_EQ(rootKeyName(0x80000007u), "");
}

TEST(TQuillonRegistry, AFailedWriteNamesTheValue) {
    test::ScopedMemoryRegistry mem;
    mem.store.failingWrites = {"Host"};
    TQuillonRegistry reg;
    EXPECT_EQ(errorOf([&] { reg.WriteValue(hkey::CurrentUser, kKey, "Host", QString("ftp.")); }),
              "Konnte Daten für 'Host' nicht setzen");
    EXPECT_EQ(reg.ReadValue(hkey::CurrentUser, kKey, "Host", QString("none")), TRegValue(QString("none")));
    mem.store.failAllWrites = true;
    EXPECT_EQ(errorOf([&] { reg.WriteValue(hkey::CurrentUser, kKey, "Flag", true); }),
              "Konnte Daten für 'Flag' nicht setzen");
}
