#include "support/testenv.h"

#include "settings/prefslayout.h"

#include <QFile>
#include <gtest/gtest.h>

namespace ts::test {

ScopedPlatform::ScopedPlatform() {
    setMessages(&boxes);
    setCommonDialogs(&dialogs);
    setClock(&clock);
}

ScopedPlatform::~ScopedPlatform() {
    setMessages(nullptr);
    setCommonDialogs(nullptr);
    setClock(nullptr);
}

ScopedRegistryFile::ScopedRegistryFile()
    : m_previous(qgetenv("TAGSMITH_REGISTRY")), m_hadPrevious(qEnvironmentVariableIsSet("TAGSMITH_REGISTRY")) {
    qputenv("TAGSMITH_REGISTRY", QFile::encodeName(path()));
}

ScopedRegistryFile::~ScopedRegistryFile() {
    if (m_hadPrevious)
        qputenv("TAGSMITH_REGISTRY", m_previous);
    else
        qunsetenv("TAGSMITH_REGISTRY");
}

QString ScopedRegistryFile::path() const { return m_dir.filePath(QStringLiteral("Tagsmith.reg")); }

QString ScopedRegistryFile::folder() const { return m_dir.path(); }

QByteArray ScopedRegistryFile::bytes() const {
    QFile f(path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ScopedRegistryFile::setBytes(const QByteArray& content) const {
    QFile f(path());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << path().toStdString();
}

ScopedMemoryRegistry::ScopedMemoryRegistry() { setRegistryStore(&store); }

ScopedMemoryRegistry::~ScopedMemoryRegistry() { setRegistryStore(nullptr); }

void setPreference(const QString& valueName, const TRegValue& value) {
    const PrefsEntry* e = findPrefsEntry(valueName);
    if (!e) {
        ADD_FAILURE() << "no preference named " << valueName.toStdString();
        return;
    }
    TQuillonRegistry().WriteValue(hkey::CurrentUser, QLatin1String(e->keyPath), valueName, value);
}

} // namespace ts::test
