#pragma once
#include "platform/registrystore.h"

#include <QStringList>

namespace ts {

// The registry in memory, with writes that can be made to fail.
class MemoryRegistryStore : public RegistryStore {
public:
    RegDocument content;
    // Writes of these value names fail (compared without case).
    QStringList failingWrites;
    bool failAllWrites = false;
    // "keyPath|valueName" of each successful write, in order.
    QStringList writeLog;

    std::optional<RegData> readValue(uint32_t root, const QString& keyPath, const QString& valueName) override;
    bool keyExists(uint32_t root, const QString& keyPath) override;
    void writeValue(uint32_t root, const QString& keyPath, const QString& valueName, const RegData& data) override;
    void createKey(uint32_t root, const QString& keyPath) override;
    void update(const std::function<void(RegistryStore&)>& change) override;
};

} // namespace ts
