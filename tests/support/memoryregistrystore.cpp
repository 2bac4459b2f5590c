#include "support/memoryregistrystore.h"

namespace ts {

std::optional<RegData> MemoryRegistryStore::readValue(uint32_t root, const QString& keyPath,
                                                      const QString& valueName) {
    const RegData* d = content.find(root, splitKeyPath(keyPath), valueName);
    return d ? std::optional<RegData>(*d) : std::nullopt;
}

bool MemoryRegistryStore::keyExists(uint32_t root, const QString& keyPath) {
    return content.keyExists(root, splitKeyPath(keyPath));
}

void MemoryRegistryStore::writeValue(uint32_t root, const QString& keyPath, const QString& valueName,
                                     const RegData& data) {
    const QStringList names = splitKeyPath(keyPath);
    checkWritableKey(QStringLiteral("(Speicher)"), root, names, valueName);
    if (failAllWrites || failingWrites.contains(valueName, Qt::CaseInsensitive))
        throw RegistryWriteError(QStringLiteral("Schreiben von \"%1\" abgelehnt").arg(valueName));
    content.set(root, names, valueName, data);
    writeLog.append(keyPath + u'|' + valueName);
}

void MemoryRegistryStore::createKey(uint32_t root, const QString& keyPath) {
    const QStringList names = splitKeyPath(keyPath);
    checkWritableKey(QStringLiteral("(Speicher)"), root, names, QString());
    if (failAllWrites) throw RegistryWriteError(QStringLiteral("Anlegen von \"%1\" abgelehnt").arg(keyPath));
    content.createKey(root, names);
}

void MemoryRegistryStore::update(const std::function<void(RegistryStore&)>& change) {
    const RegDocument before = content;
    const QStringList logBefore = writeLog;
    try {
        change(*this);
    } catch (...) {
        content = before;
        writeLog = logBefore;
        throw;
    }
}

} // namespace ts
