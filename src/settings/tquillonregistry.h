#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <variant>

namespace ts {
class RegistryStore;
}

// Predefined root keys (HKEY_CLASSES_ROOT .. HKEY_DYN_DATA).
namespace hkey {
constexpr uint32_t ClassesRoot = 0x80000000u;
constexpr uint32_t CurrentUser = 0x80000001u;
constexpr uint32_t LocalMachine = 0x80000002u;
constexpr uint32_t Users = 0x80000003u;
constexpr uint32_t PerformanceData = 0x80000004u;
constexpr uint32_t CurrentConfig = 0x80000005u;
constexpr uint32_t DynData = 0x80000006u;
} // namespace hkey

// Amount times 10000, as the currency kind stores it.
struct TCurrency {
    int64_t scaled = 0;
    bool operator==(const TCurrency&) const = default;
};

// Days since 1899-12-30, as the date-time kind stores it.
struct TDateTimeValue {
    double days = 0;
    bool operator==(const TDateTimeValue&) const = default;
};

// The tagged value: its kind selects the registry data type.
// monostate is the "other" kind: never written, never read.
using TRegValue = std::variant<std::monostate, bool, int32_t, QString, double, TCurrency, TDateTimeValue>;

// Every registry value of the program passes through this class. It holds no
// data; each call opens and closes what it needs.
class TQuillonRegistry {
public:
    TQuillonRegistry() = default;

    void WriteValue(uint32_t root, const QString& keyPath, const QString& valueName, const TRegValue& value);
    TRegValue ReadValue(uint32_t root, const QString& keyPath, const QString& valueName, const TRegValue& def);

    // Reads, merges and writes several values as one step: change gets a
    // registry whose reads see what other running programs wrote before, and
    // nothing they write comes in between. Its writes land together, or none
    // of them when change throws.
    void Update(const std::function<void(TQuillonRegistry&)>& change);

private:
    explicit TQuillonRegistry(ts::RegistryStore& store) : m_store(&store) {}
    ts::RegistryStore& store() const;

    ts::RegistryStore* m_store = nullptr; // the store in use when null
};
