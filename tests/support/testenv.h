#pragma once
#include "platform/desktop.h"
#include "settings/tquillonregistry.h"
#include "support/fixedclock.h"
#include "support/memoryregistrystore.h"
#include "support/scriptedcommondialogs.h"
#include "support/scriptedmessageboxes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QTemporaryDir>
#include <memory>

namespace ts::test {

// Puts scripted message boxes, common dialogs and a fixed clock in place for
// the life of a test, and restores the real ones afterwards.
class ScopedPlatform {
public:
    ScopedPlatform();
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

    ScriptedMessageBoxes boxes;
    ScriptedCommonDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9))};
};

// Points TAGSMITH_REGISTRY at a fresh file in a private folder for the life of
// a test, so the real file store starts empty; restores the variable afterwards.
class ScopedRegistryFile {
public:
    ScopedRegistryFile();
    ~ScopedRegistryFile();
    ScopedRegistryFile(const ScopedRegistryFile&) = delete;
    ScopedRegistryFile& operator=(const ScopedRegistryFile&) = delete;

    QString path() const;   // the file (it does not exist until the first write)
    QString folder() const; // the private folder holding it
    QByteArray bytes() const; // the file's content, empty when it does not exist
    void setBytes(const QByteArray& content) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

// Installs an empty MemoryRegistryStore for the life of a test, then goes back
// to the file store.
class ScopedMemoryRegistry {
public:
    ScopedMemoryRegistry();
    ~ScopedMemoryRegistry();
    ScopedMemoryRegistry(const ScopedMemoryRegistry&) = delete;
    ScopedMemoryRegistry& operator=(const ScopedMemoryRegistry&) = delete;

    MemoryRegistryStore store;
};

// Stores one preference by its value name ("MinDoc", "StdFont", ...) at its
// own key, through the store in use. The value is written with the kind given,
// so a test can also store one of the wrong type.
void setPreference(const QString& valueName, const TRegValue& value);

// Records the addresses handed to the desktop's opener instead of opening them.
struct RecordingDesktop : Desktop {
    QList<QUrl> opened;
    bool succeed = true;
    bool openUrl(const QUrl& url) override {
        opened << url;
        return succeed;
    }
};

} // namespace ts::test
