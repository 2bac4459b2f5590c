#pragma once
#include <QString>
#include <cstdint>

// The 22 preference values, in declaration order. A fresh record holds false,
// 0 and empty texts. Consumers create one, load it, read it and drop it:
// settings are never cached.
struct TPrefsRecord {
    bool Splash = false;
    bool AppMaxi = false;
    bool NewDoc = false;
    bool DocMaxi = false;
    bool MinDoc = false;
    bool ShowComp = false;
    int32_t TextCol = 0; // colours are 0x00BBGGRR
    int32_t BGCol = 0;
    QString StdFont;
    uint8_t StdFontSize = 0;
    int32_t Text = 0;
    int32_t Links = 0;
    int32_t Images = 0;
    int32_t Other = 0;
    QString ExtBrowser;
    QString Author;
    QString EMail;
    bool UseNetscapeExt = false;
    QString Host;
    QString Username;
    QString Password;
    QString InitDir;

    // Record mode: every value read from the registry, the current field value
    // as the default. Throws TError on a damaged store or a value of the wrong type;
    // the values after the failing one are then not loaded.
    void LoadSettings();
    // Writes all 22 values in the save order.
    void SaveSettings() const;

    static TPrefsRecord load() {
        TPrefsRecord r;
        r.LoadSettings();
        return r;
    }

    // The colours the Preferences dialog shows for tag colours never stored.
    static constexpr int32_t kInitialLinks = 0xFF0000;  // blue
    static constexpr int32_t kInitialImages = 0x0000FF; // red
    static constexpr int32_t kInitialOther = 0x808000;  // teal

    // For the editor: as load, but tag colours never stored read as the
    // dialog's initial ones rather than black.
    static TPrefsRecord loadForEditor() {
        TPrefsRecord r;
        r.Links = kInitialLinks;
        r.Images = kInitialImages;
        r.Other = kInitialOther;
        r.LoadSettings();
        return r;
    }
};
