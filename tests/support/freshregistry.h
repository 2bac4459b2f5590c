#pragma once
#include "settings/tprefsrecord.h"

#include <QByteArray>
#include <QTemporaryDir>

namespace ts::test {

// Points the registry at an empty file of its own for one test, and lets the
// test store preferences in it first.
class FreshRegistry {
public:
    FreshRegistry() : m_old(qgetenv("TAGSMITH_REGISTRY")) {
        qputenv("TAGSMITH_REGISTRY", m_dir.filePath(QStringLiteral("Tagsmith.reg")).toLocal8Bit());
    }
    ~FreshRegistry() { qputenv("TAGSMITH_REGISTRY", m_old); }
    FreshRegistry(const FreshRegistry&) = delete;
    FreshRegistry& operator=(const FreshRegistry&) = delete;

    // Stores a whole record, as the Preferences dialog would.
    void store(const TPrefsRecord& prefs) { prefs.SaveSettings(); }
    QString path() const { return m_dir.filePath(QStringLiteral("Tagsmith.reg")); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace ts::test
