#include "usertags/usertagstore.h"

#include "platform/terror.h"
#include "settings/tquillonregistry.h"

#include <algorithm>

namespace {

const char* const kValueNames[] = {"Title", "Name", "StartTag", "EndTag", "Hint"};

std::array<QString*, 5> fieldsOf(TUserTag& tag) { return {&tag.Title, &tag.Name, &tag.StartTag, &tag.EndTag, &tag.Hint}; }

void checkNumber(int number) {
    if (number < 1 || number > kUserTagCount) throw TError(QStringLiteral("Kein Benutzer-Tag Nummer %1").arg(number));
}

} // namespace

QString clipUserTagTitle(const QString& text) {
    qsizetype n = std::min<qsizetype>(text.size(), kUserTagTitleLength);
    if (n > 0 && text[n - 1].isHighSurrogate()) --n;
    return text.left(n);
}

QString userTagKeyPath(int number) {
    return QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\UserTags\\") + QString::number(number);
}

TUserTag& UserTagTable(int number) {
    static std::array<TUserTag, kUserTagCount> table;
    checkNumber(number);
    return table[size_t(number - 1)];
}

void LoadUserTag(uint8_t number, TUserTag& tag) {
    checkNumber(number);
    const QString key = userTagKeyPath(number);
    TQuillonRegistry registry;
    const std::array<QString*, 5> fields = fieldsOf(tag);
    for (size_t i = 0; i < fields.size(); ++i) {
        const QString name = QLatin1String(kValueNames[i]);
        *fields[i] = std::get<QString>(registry.ReadValue(hkey::CurrentUser, key, name, *fields[i]));
        // Clipped at once: a failing read further on leaves no long title behind.
        if (fields[i] == &tag.Title) tag.Title = clipUserTagTitle(tag.Title);
    }
}

void LoadUserTags() {
    for (int n = 1; n <= kUserTagCount; ++n) LoadUserTag(uint8_t(n), UserTagTable(n));
}

void SaveUserTags() {
    TQuillonRegistry registry;
    for (int n = 1; n <= kUserTagCount; ++n) {
        const QString key = userTagKeyPath(n);
        const std::array<QString*, 5> fields = fieldsOf(UserTagTable(n));
        for (size_t i = 0; i < fields.size(); ++i)
            registry.WriteValue(hkey::CurrentUser, key, QLatin1String(kValueNames[i]), *fields[i]);
    }
}
