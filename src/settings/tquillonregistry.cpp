#include "settings/tquillonregistry.h"

#include "platform/registrystore.h"

#include <QtEndian>
#include <cstring>

namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

uint32_t chooseRoot(uint32_t root) { return root >= hkey::ClassesRoot && root <= hkey::DynData ? root : hkey::CurrentUser; }

[[noreturn]] void dataTypeError(const QString& valueName) {
    throw TError(QStringLiteral("Ungültiger Datentyp für '%1'").arg(valueName));
}

[[noreturn]] void getDataError(const QString& valueName) {
    throw TError(QStringLiteral("Konnte Daten für '%1' nicht holen").arg(valueName));
}

// The fixed-size kinds: the stored type must match, and the data must fill
// the space exactly. Too much data cannot be fetched; too little is not of the
// kind at all.
QByteArray fixedData(const ts::RegData& data, ts::RegType type, qsizetype size, const QString& valueName) {
    if (data.type() != type) dataTypeError(valueName);
    if (data.bytes.size() > size) getDataError(valueName);
    if (data.bytes.size() < size) dataTypeError(valueName);
    return data.bytes;
}

uint32_t readDword(const ts::RegData& data, const QString& valueName) {
    return qFromLittleEndian<uint32_t>(fixedData(data, ts::RegType::Dword, 4, valueName).constData());
}

double readDouble(const ts::RegData& data, const QString& valueName) {
    const uint64_t bits = qFromLittleEndian<uint64_t>(fixedData(data, ts::RegType::Binary, 8, valueName).constData());
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

QString readText(const ts::RegData& data, const QString& valueName) {
    if (data.type() != ts::RegType::String && data.type() != ts::RegType::ExpandString) dataTypeError(valueName);
    QString text;
    const QByteArray& b = data.bytes;
    for (qsizetype i = 0; i + 1 < b.size(); i += 2) {
        const char16_t c = char16_t(uchar(b[i]) | (uchar(b[i + 1]) << 8));
        if (c == 0) break;
        text.append(QChar(c));
    }
    return text;
}

ts::RegData binary8(uint64_t bits) {
    QByteArray b(8, '\0');
    qToLittleEndian(bits, b.data());
    return ts::RegData::binary(b);
}

ts::RegData doubleData(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return binary8(bits);
}

} // namespace

void TQuillonRegistry::WriteValue(uint32_t root, const QString& keyPath, const QString& valueName,
                                  const TRegValue& value) {
    const uint32_t r = chooseRoot(root);
    const std::optional<ts::RegData> data = std::visit(
        Overloaded{
            [](std::monostate) -> std::optional<ts::RegData> { return std::nullopt; },
            [](bool b) -> std::optional<ts::RegData> { return ts::RegData::dword(b ? 1 : 0); },
            [](int32_t i) -> std::optional<ts::RegData> { return ts::RegData::dword(uint32_t(i)); },
            [](const QString& s) -> std::optional<ts::RegData> { return ts::RegData::string(s); },
            [](double d) -> std::optional<ts::RegData> { return doubleData(d); },
            [](TCurrency c) -> std::optional<ts::RegData> { return binary8(uint64_t(c.scaled)); },
            [](TDateTimeValue t) -> std::optional<ts::RegData> { return doubleData(t.days); },
        },
        value);

    ts::RegistryStore& store = this->store();
    if (!data) {
        // Nothing to write; the key is still opened, and so created. Whether
        // that worked is not looked at, as no write follows.
        try {
            store.createKey(r, keyPath);
        } catch (const ts::RegistryWriteError&) {
        }
        return;
    }
    try {
        store.writeValue(r, keyPath, valueName, *data);
    } catch (const ts::RegistryWriteError&) {
        throw TError(QStringLiteral("Konnte Daten für '%1' nicht setzen").arg(valueName));
    }
}

TRegValue TQuillonRegistry::ReadValue(uint32_t root, const QString& keyPath, const QString& valueName,
                                      const TRegValue& def) {
    // A missing key or value both come back as nullopt: the default stands.
    const std::optional<ts::RegData> stored = store().readValue(chooseRoot(root), keyPath, valueName);
    if (!stored) return def;
    const ts::RegData& d = *stored;
    return std::visit(
        Overloaded{
            [&](std::monostate) -> TRegValue { return def; },
            [&](bool) -> TRegValue { return readDword(d, valueName) != 0; },
            [&](int32_t) -> TRegValue { return int32_t(readDword(d, valueName)); },
            [&](const QString&) -> TRegValue { return readText(d, valueName); },
            [&](double) -> TRegValue { return readDouble(d, valueName); },
            [&](TCurrency) -> TRegValue {
                return TCurrency{int64_t(qFromLittleEndian<uint64_t>(
                    fixedData(d, ts::RegType::Binary, 8, valueName).constData()))};
            },
            [&](TDateTimeValue) -> TRegValue { return TDateTimeValue{readDouble(d, valueName)}; },
        },
        def);
}

void TQuillonRegistry::Update(const std::function<void(TQuillonRegistry&)>& change) {
    store().update([&](ts::RegistryStore& locked) {
        TQuillonRegistry registry(locked);
        change(registry);
    });
}

ts::RegistryStore& TQuillonRegistry::store() const { return m_store ? *m_store : ts::registryStore(); }
