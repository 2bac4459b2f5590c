#pragma once
#include "settings/tprefsrecord.h"
#include "settings/tquillonregistry.h"

#include <QString>
#include <array>
#include <cstdint>
#include <variant>

namespace ts {

// Key paths of the preferences below HKEY_CURRENT_USER, exactly as used.
// The Settings key itself is named with a trailing backslash.
inline constexpr const char* kSettingsKey = "Software\\Quillon\\Tagsmith\\Settings\\";
inline constexpr const char* kGeneralKey = "Software\\Quillon\\Tagsmith\\Settings\\General";
inline constexpr const char* kEditorKey = "Software\\Quillon\\Tagsmith\\Settings\\Editor";
inline constexpr const char* kMiscKey = "Software\\Quillon\\Tagsmith\\Settings\\Misc";
inline constexpr const char* kNetscapeKey = "Software\\Quillon\\Tagsmith\\Settings\\Netscape";
inline constexpr const char* kFtpKey = "Software\\Quillon\\Tagsmith\\Settings\\FTP";

// One preference: where it lies and the record field that holds it. The
// field's type gives the kind: booleans as booleans, colours and the font
// size as integers, texts as texts.
struct PrefsEntry {
    const char* keyPath;
    const char* valueName;
    std::variant<bool TPrefsRecord::*, int32_t TPrefsRecord::*, uint8_t TPrefsRecord::*, QString TPrefsRecord::*> field;
};

// All 22 values in load order, which is also the save order.
inline constexpr std::array<PrefsEntry, 22> kPrefsLayout = {{
    {kGeneralKey, "Splash", &TPrefsRecord::Splash},
    {kGeneralKey, "AppMaxi", &TPrefsRecord::AppMaxi},
    {kGeneralKey, "NewDoc", &TPrefsRecord::NewDoc},
    {kGeneralKey, "DocMaxi", &TPrefsRecord::DocMaxi},
    {kGeneralKey, "MinDoc", &TPrefsRecord::MinDoc},
    {kGeneralKey, "ShowComp", &TPrefsRecord::ShowComp},
    {kEditorKey, "TextCol", &TPrefsRecord::TextCol},
    {kEditorKey, "BGCol", &TPrefsRecord::BGCol},
    {kEditorKey, "StdFont", &TPrefsRecord::StdFont},
    {kEditorKey, "StdFontSize", &TPrefsRecord::StdFontSize},
    {kEditorKey, "Text", &TPrefsRecord::Text},
    {kEditorKey, "Links", &TPrefsRecord::Links},
    {kEditorKey, "Images", &TPrefsRecord::Images},
    {kEditorKey, "Other", &TPrefsRecord::Other},
    {kMiscKey, "ExtBrowser", &TPrefsRecord::ExtBrowser},
    {kSettingsKey, "Author", &TPrefsRecord::Author},
    {kSettingsKey, "EMail", &TPrefsRecord::EMail},
    {kNetscapeKey, "UseNetscapeExt", &TPrefsRecord::UseNetscapeExt},
    {kFtpKey, "Host", &TPrefsRecord::Host},
    {kFtpKey, "Username", &TPrefsRecord::Username},
    {kFtpKey, "Password", &TPrefsRecord::Password},
    {kFtpKey, "InitDir", &TPrefsRecord::InitDir},
}};

// The entry of a value name (exact spelling); nullptr when there is none.
const PrefsEntry* findPrefsEntry(QStringView valueName);

// The field as a tagged value of its kind (the font size as an integer).
TRegValue prefsFieldValue(const TPrefsRecord& record, const PrefsEntry& entry);
// Stores a value of the entry's kind in the field; the font size keeps the low 8 bits.
void setPrefsFieldValue(TPrefsRecord& record, const PrefsEntry& entry, const TRegValue& value);

} // namespace ts
