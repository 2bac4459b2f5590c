#include "settings/tprefsrecord.h"

#include "settings/prefslayout.h"

namespace ts {

const PrefsEntry* findPrefsEntry(QStringView valueName) {
    for (const PrefsEntry& e : kPrefsLayout)
        if (valueName == QLatin1String(e.valueName)) return &e;
    return nullptr;
}

TRegValue prefsFieldValue(const TPrefsRecord& record, const PrefsEntry& entry) {
    return std::visit(
        [&](auto member) -> TRegValue {
            const auto& v = record.*member;
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, uint8_t>)
                return int32_t(v);
            else
                return v;
        },
        entry.field);
}

void setPrefsFieldValue(TPrefsRecord& record, const PrefsEntry& entry, const TRegValue& value) {
    std::visit(
        [&](auto member) {
            auto& field = record.*member;
            using Field = std::decay_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, uint8_t>)
                field = uint8_t(uint32_t(std::get<int32_t>(value)) & 0xFFu);
            else
                field = std::get<Field>(value);
        },
        entry.field);
}

} // namespace ts

void TPrefsRecord::LoadSettings() {
    TQuillonRegistry reg;
    // A failing value leaves this one and all later ones as they were.
    for (const ts::PrefsEntry& e : ts::kPrefsLayout) {
        const TRegValue v = reg.ReadValue(hkey::CurrentUser, QLatin1String(e.keyPath), QLatin1String(e.valueName),
                                          ts::prefsFieldValue(*this, e));
        ts::setPrefsFieldValue(*this, e, v);
    }
}

void TPrefsRecord::SaveSettings() const {
    TQuillonRegistry reg;
    for (const ts::PrefsEntry& e : ts::kPrefsLayout)
        reg.WriteValue(hkey::CurrentUser, QLatin1String(e.keyPath), QLatin1String(e.valueName),
                       ts::prefsFieldValue(*this, e));
}
