#pragma once
#include "settings/tquillonregistry.h"
#include "support/testenv.h"
#include "usertags/usertagstore.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
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
};

// Runs f on the modal dialog of class D as soon as it is open. Should it
// never open, whatever modal dialog there is gets closed so the test ends.
template <class D, class F>
void onModal(F f, int triesLeft = 300) {
    QTimer::singleShot(triesLeft == 300 ? 0 : 10, [f, triesLeft] {
        if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
            f(*d);
        } else if (triesLeft > 0) {
            onModal<D>(f, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal " << D::staticMetaObject.className();
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget())) other->reject();
        }
    });
}

} // namespace ts::test
