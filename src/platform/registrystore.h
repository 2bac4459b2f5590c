#pragma once
#include "platform/files.h"
#include "platform/terror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace ts {

// Registry data types by their Windows numbers.
namespace regtype {
constexpr uint32_t None = 0;
constexpr uint32_t Sz = 1;
constexpr uint32_t ExpandSz = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t MultiSz = 7;
constexpr uint32_t Qword = 11;
} // namespace regtype

enum class RegType { Dword, String, ExpandString, Binary, Other };

// One stored value as the registry keeps it: a type number and raw bytes.
// Strings are UTF-16LE with a terminating zero, DWORDs four little-endian bytes.
struct RegData {
    uint32_t rawType = regtype::Binary;
    QByteArray bytes;

    RegType type() const;

    static RegData dword(uint32_t value);
    static RegData string(const QString& text);
    static RegData expandString(const QString& text);
    static RegData binary(const QByteArray& bytes);

    bool operator==(const RegData&) const = default;
};

// Predefined root keys 0x80000000 .. 0x80000006.
bool isPredefinedRoot(uint32_t root);
// "HKEY_CURRENT_USER" and so on; empty for anything else.
QString rootKeyName(uint32_t root);

// A key path split into its names. Empty names from leading, trailing or
// doubled backslashes are dropped, so "Settings\" names the key "Settings".
QStringList splitKeyPath(const QString& keyPath);

// Thrown by a store when a value or key could not be written (as opposed to
// a damaged or unreadable store, which is a plain TError).
class RegistryWriteError : public TError {
public:
    using TError::TError;
};

// Throws RegistryWriteError, naming where, when the file could not hold the
// key or the value name.
void checkWritableKey(const QString& where, uint32_t root, const QStringList& names, const QString& valueName);

// The registry as the program sees it. Key paths and value names compare
// without regard to case and keep the case they were first written with.
// An empty value name is the key's default value.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // nullopt when the key or the value does not exist.
    virtual std::optional<RegData> readValue(uint32_t root, const QString& keyPath, const QString& valueName) = 0;
    virtual bool keyExists(uint32_t root, const QString& keyPath) = 0;
    // Creates every missing key on the way.
    virtual void writeValue(uint32_t root, const QString& keyPath, const QString& valueName, const RegData& data) = 0;
    virtual void createKey(uint32_t root, const QString& keyPath) = 0;
    // Runs change against a store whose reads and writes all see one state of
    // the registry: nothing another program writes comes between them, and the
    // writes land together, or none of them when change throws.
    virtual void update(const std::function<void(RegistryStore&)>& change) = 0;
};

// The whole content of a store: keys with their values, in memory.
class RegDocument {
public:
    struct Value {
        QString name;
        RegData data;
    };
    struct Key {
        uint32_t root = 0;
        QStringList names;
        std::vector<Value> values;
    };
    struct Damage {
        int line = 0; // 1-based; 0 when it concerns the file as a whole
        QString what;
    };

    // Reads the text of a .reg file: UTF-16LE with byte order mark, or UTF-8
    // with or without one. nullopt and the first fault in *damage otherwise;
    // a key or value name that UTF-8 cannot hold (a lone surrogate) is one,
    // as writing the file back would rename it.
    static std::optional<RegDocument> parse(const QByteArray& fileBytes, Damage* damage);
    // UTF-8 without byte order mark, CR LF line breaks, keys in tree order.
    QByteArray toRegFile() const;

    const RegData* find(uint32_t root, const QStringList& names, const QString& valueName) const;
    bool keyExists(uint32_t root, const QStringList& names) const;
    // Both create the key and its missing parents.
    void set(uint32_t root, const QStringList& names, const QString& valueName, const RegData& data);
    void createKey(uint32_t root, const QStringList& names);

    const std::vector<Key>& keys() const { return m_keys; }
    bool operator==(const RegDocument& other) const;

private:
    Key* findKey(uint32_t root, const QStringList& names);
    const Key* findKey(uint32_t root, const QStringList& names) const;
    Key& ensureKey(uint32_t root, const QStringList& names);

    std::vector<Key> m_keys;
};

// The registry in one .reg text file. Reads take the file as it is; each
// write locks "<file>.lock", re-reads the file, applies the change and
// replaces the file atomically, so concurrent writers lose nothing and a
// crash leaves either the old or the new file. A damaged file is reported
// and never overwritten; a write under a root other than the seven
// predefined ones is refused.
class RegFileStore : public RegistryStore {
public:
    // Without a path the location is resolved at each call (defaultRegistryPath).
    RegFileStore() = default;
    explicit RegFileStore(QString path) : m_path(std::move(path)) {}

    QString path() const;

    std::optional<RegData> readValue(uint32_t root, const QString& keyPath, const QString& valueName) override;
    bool keyExists(uint32_t root, const QString& keyPath) override;
    void writeValue(uint32_t root, const QString& keyPath, const QString& valueName, const RegData& data) override;
    void createKey(uint32_t root, const QString& keyPath) override;
    // All of it under the file's lock, with one write at the end (none when
    // nothing changed).
    void update(const std::function<void(RegistryStore&)>& change) override;

    // The file's current content; an empty document when there is no file.
    // Throws TError when it cannot be read or is damaged.
    RegDocument load() const;

private:
    template <class Change>
    void modify(Change&& change);
    // The file as last parsed, re-parsed only when the file has changed.
    const RegDocument& current();

    struct Parsed {
        QString path;
        FileIdentity stamp; // what tells one version of the file from another without reading it
        bool settled = false; // changed long enough before it was read
        RegDocument doc;
    };

    QString m_path;
    std::optional<Parsed> m_parsed;
};

// $TAGSMITH_REGISTRY when set, otherwise $XDG_CONFIG_HOME/Quillon/Tagsmith.reg
// (~/.config when XDG_CONFIG_HOME is unset or relative).
QString defaultRegistryPath();

RegistryStore& registryStore();
// Replaces the store in use; nullptr goes back to the file store.
void setRegistryStore(RegistryStore* store);

} // namespace ts
