#include "platform/registrystore.h"
#include "support/editorfixture.h"
#include "usertagsfixture.h"

#include <QFile>

using namespace ts;
using ts::test::errorOf;
using ts::test::storeTag;

namespace {

using UserTagStore = ts::test::UserTagsTest;

QString stored(int number, const char* valueName) {
    return std::get<QString>(TQuillonRegistry().ReadValue(hkey::CurrentUser, userTagKeyPath(number),
                                                          QLatin1String(valueName), QStringLiteral("(none)")));
}

TEST(UserTagTitle, KeepsAtMostFourCharactersAndNeverHalfACharacter) {
    const std::pair<QString, QString> cases[] = {
        {"ABCDEFG", "ABCD"},
        {"AB", "AB"},
        {"", ""},
        {QString::fromUtf8("abc\xF0\x9F\x98\x80"), "abc"},
        {QString::fromUtf8("a\xF0\x9F\x98\x80" "bc"), QString::fromUtf8("a\xF0\x9F\x98\x80" "b")},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(clipUserTagTitle(in), out) << in.toStdString();
}

TEST_F(UserTagStore, EmptyStoreGivesNineEmptyTagsAndKeepsWhatTheTableHeld) {
    LoadUserTags();
    for (int n = 1; n <= kUserTagCount; ++n) EXPECT_EQ(UserTagTable(n), TUserTag{}) << n;
    // A missing value reads as its default, which is the table's own content.
    UserTagTable(4) = {"Keep", "kept", "<K>", "</K>", "k"};
    LoadUserTags();
    EXPECT_EQ(UserTagTable(4), (TUserTag{"Keep", "kept", "<K>", "</K>", "k"}));
    EXPECT_EQ(userTagKeyPath(7), "Software\\Quillon\\Tagsmith\\Application\\UserTags\\7");
}

TEST_F(UserTagStore, LongTitleLoadsAsItsFirstFourAndIsSavedSo) {
    storeTag(2, {"ABCDEFG", "Centre", "<CENTER>", "</CENTER>", "Centres"});
    LoadUserTags();
    EXPECT_EQ(UserTagTable(2), (TUserTag{"ABCD", "Centre", "<CENTER>", "</CENTER>", "Centres"}));
    TUserTag single;
    LoadUserTag(2, single);
    EXPECT_EQ(single.Title, "ABCD");
    SaveUserTags();
    EXPECT_EQ(stored(2, "Title"), "ABCD");
}

TEST_F(UserTagStore, HintAloneLoadsWithTheOtherFieldsEmpty) {
    storeTag(5, {"", "", "", "", "Only a hint"});
    LoadUserTags();
    EXPECT_EQ(UserTagTable(5), (TUserTag{"", "", "", "", "Only a hint"}));
    TUserTag single;
    LoadUserTag(5, single);
    EXPECT_EQ(single, UserTagTable(5));
}

TEST_F(UserTagStore, SaveWritesFiveStringsForEachOfTheNineKeys) {
    UserTagTable(9) = {"T9", "Nine", "<S>", "</S>", "Strike"};
    SaveUserTags();
    for (int n = 1; n <= kUserTagCount; ++n) {
        for (const char* name : {"Title", "Name", "StartTag", "EndTag", "Hint"}) {
            const std::optional<RegData> d = registryStore().readValue(hkey::CurrentUser, userTagKeyPath(n), name);
            ASSERT_TRUE(d.has_value()) << n << name;
            EXPECT_EQ(d->type(), RegType::String);
        }
        if (n != 9) {
            EXPECT_EQ(stored(n, "Hint"), "");
        }
    }
    EXPECT_EQ(stored(9, "EndTag"), "</S>");
    EXPECT_FALSE(registryStore().keyExists(hkey::CurrentUser, userTagKeyPath(10)));
}

TEST_F(UserTagStore, ValueOfWrongTypeStopsTheLoadThere) {
    for (int n = 1; n <= kUserTagCount; ++n) storeTag(n, {"N", "new", "<new>", "</new>", "new"});
    TQuillonRegistry().WriteValue(hkey::CurrentUser, userTagKeyPath(3), "StartTag", int32_t(7));
    for (int n = 1; n <= kUserTagCount; ++n) UserTagTable(n) = {"OLDTITLE", "old", "old", "old", "old"};

    EXPECT_EQ(errorOf([] { LoadUserTags(); }), QStringLiteral("Ungültiger Datentyp für 'StartTag'"));
    EXPECT_EQ(UserTagTable(2), (TUserTag{"N", "new", "<new>", "</new>", "new"}));
    EXPECT_EQ(UserTagTable(3), (TUserTag{"N", "new", "old", "old", "old"}));
    EXPECT_EQ(UserTagTable(4).Title, "OLDTITLE");
    TUserTag single;
    EXPECT_EQ(errorOf([&] { LoadUserTag(3, single); }), QStringLiteral("Ungültiger Datentyp für 'StartTag'"));
}

// Reads reuse the parsed file; each way the file can change must still show.
TEST_F(UserTagStore, EveryChangeOfTheFileShowsAtTheNextRead) {
    auto title = [] {
        TUserTag t;
        LoadUserTag(1, t);
        return t.Title;
    };
    storeTag(1, {"AAAA", "", "", "", ""});
    EXPECT_EQ(title(), "AAAA");
    EXPECT_EQ(title(), "AAAA");

    // A second running copy writes its own file version.
    RegFileStore(registry.path()).writeValue(hkey::CurrentUser, userTagKeyPath(1), "Title", RegData::string("BBBB"));
    EXPECT_EQ(title(), "BBBB");

    // Rewritten in place with the same size, just after the last read.
    QByteArray bytes = registry.bytes();
    bytes.replace("BBBB", "CCCC");
    registry.setBytes(bytes);
    EXPECT_EQ(title(), "CCCC");

    QFile::remove(registry.path());
    EXPECT_EQ(title(), "");
    registry.setBytes(bytes);
    EXPECT_EQ(title(), "CCCC");

    registry.setBytes("not a registry file");
    EXPECT_NE(errorOf(title), QString());
    EXPECT_NE(errorOf(title), QString());

    {
        // Another file altogether.
        ts::test::ScopedRegistryFile other;
        storeTag(1, {"DDDD", "", "", "", ""});
        EXPECT_EQ(title(), "DDDD");
    }
    registry.setBytes(bytes);
    EXPECT_EQ(title(), "CCCC");
}

} // namespace
