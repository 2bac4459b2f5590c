#pragma once
#include "settings/tquillonregistry.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"
#include "usertags/usertagstore.h"

#include <gtest/gtest.h>

namespace ts::test {

// Stores the non-empty fields of a tag as the manager would, one value each.
inline void storeTag(int number, const TUserTag& tag) {
    TQuillonRegistry r;
    const QString key = userTagKeyPath(number);
    const std::pair<const char*, const QString*> fields[] = {
        {"Title", &tag.Title}, {"Name", &tag.Name}, {"StartTag", &tag.StartTag}, {"EndTag", &tag.EndTag},
        {"Hint", &tag.Hint}};
    for (const auto& [name, value] : fields)
        if (!value->isEmpty()) r.WriteValue(hkey::CurrentUser, key, QLatin1String(name), *value);
}

// A private registry file, scripted boxes and a table that starts empty, as
// at program start.
class UserTagsTest : public ::testing::Test {
protected:
    UserTagsTest() {
        for (int n = 1; n <= kUserTagCount; ++n) UserTagTable(n) = {};
    }
    ScopedPlatform platform;
    ScopedRegistryFile registry;
    DialogDriver dialogs;
};

} // namespace ts::test
