#include "platform/files.h"
#include "platform/registrystore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <time.h>
#include <type_traits>

namespace ts {

namespace {

QString errnoText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

[[noreturn]] void throwUnreadable(const QString& path, const QString& why) {
    throw TError(QStringLiteral("Registrierungsdatei \"%1\" kann nicht gelesen werden: %2").arg(path, why));
}

[[noreturn]] void throwUnwritable(const QString& path, const QString& why) {
    throw RegistryWriteError(QStringLiteral("Registrierungsdatei \"%1\" kann nicht geschrieben werden: %2").arg(path, why));
}

// The file's bytes; nullopt when there is no file.
std::optional<QByteArray> readFileBytes(const QString& path) {
    FileHandle fd = FileHandle::open(QFile::encodeName(path), O_RDONLY | O_CLOEXEC);
    if (!fd) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throwUnreadable(path, errnoText(errno));
    }
    QByteArray bytes;
    if (int err = readAll(fd.get(), bytes, 1 << 16)) throwUnreadable(path, errnoText(err));
    return bytes;
}

RegDocument loadFile(const QString& path) {
    const std::optional<QByteArray> bytes = readFileBytes(path);
    if (!bytes) return {};
    RegDocument::Damage damage;
    std::optional<RegDocument> doc = RegDocument::parse(*bytes, &damage);
    if (!doc) {
        const QString where = damage.line > 0 ? QStringLiteral(" in Zeile %1").arg(damage.line) : QString();
        throw TError(QStringLiteral("Registrierungsdatei \"%1\" ist beschädigt: %2%3").arg(path, damage.what, where));
    }
    return std::move(*doc);
}

// Writes go to the file a symbolic link points to, so the link survives;
// its lock is the target's too.
QString writeTarget(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink()) return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

} // namespace

QString RegFileStore::path() const { return m_path.isEmpty() ? defaultRegistryPath() : m_path; }

RegDocument RegFileStore::load() const { return loadFile(path()); }

namespace {

int64_t nanoseconds(const struct timespec& t) { return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

// A file changed this close to the moment it was read may change again with
// the same time stamp (file systems stamp with a coarse clock), so such a
// read is not reused.
constexpr int64_t kSettleNs = 1'000'000'000;

} // namespace

const RegDocument& RegFileStore::current() {
    const QString file = path();
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t readStarted = nanoseconds(now);

    int err = 0;
    const FileIdentity stamp = FileIdentity::of(file, &err);
    if (err) {
        m_parsed.reset();
        throwUnreadable(file, errnoText(err));
    }
    if (m_parsed && m_parsed->settled && m_parsed->path == file && m_parsed->stamp.same(stamp)) return m_parsed->doc;

    // Stamped before reading: a change after the stat shows at the next call.
    m_parsed.reset();
    RegDocument doc = loadFile(file);
    const bool settled = !stamp.exists || std::max(stamp.mtimeNs, stamp.ctimeNs) + kSettleNs < readStarted;
    m_parsed.emplace(Parsed{file, stamp, settled, std::move(doc)});
    return m_parsed->doc;
}

std::optional<RegData> RegFileStore::readValue(uint32_t root, const QString& keyPath, const QString& valueName) {
    const RegData* d = current().find(root, splitKeyPath(keyPath), valueName);
    return d ? std::optional<RegData>(*d) : std::nullopt;
}

bool RegFileStore::keyExists(uint32_t root, const QString& keyPath) {
    return current().keyExists(root, splitKeyPath(keyPath));
}

template <class Change>
void RegFileStore::modify(Change&& change) {
    const QString file = writeTarget(path());
    const QFileInfo info(file);
    const QString dir = info.absolutePath();
    if (!QDir().mkpath(dir)) throwUnwritable(file, QStringLiteral("Ordner \"%1\" kann nicht angelegt werden").arg(dir));

    // Held from the read to the write, so that two writers take turns and a
    // change another copy made meanwhile is kept. The lock file stays:
    // removing it would let a third writer lock a fresh inode.
    int err = 0;
    const FileHandle lock = lockFile(QFile::encodeName(file + QStringLiteral(".lock")), true, &err);
    if (!lock) throwUnwritable(file, errnoText(err));

    RegDocument doc = loadFile(file);
    if constexpr (std::is_same_v<decltype(change(doc)), bool>) {
        if (!change(doc)) return;
    } else {
        change(doc);
    }
    const QByteArray bytes = doc.toRegFile();
    try {
        // A new file is private: it holds the FTP password.
        saveFileAtomically(file, std::string_view(bytes.constData(), size_t(bytes.size())), NewFileMode::Private);
    } catch (const FileWriteError& e) {
        throwUnwritable(file, e.error() ? errnoText(e.error()) : e.reason());
    }
}

void RegFileStore::writeValue(uint32_t root, const QString& keyPath, const QString& valueName, const RegData& data) {
    const QStringList names = splitKeyPath(keyPath);
    checkWritableKey(path(), root, names, valueName);
    modify([&](RegDocument& doc) { doc.set(root, names, valueName, data); });
}

void RegFileStore::createKey(uint32_t root, const QString& keyPath) {
    const QStringList names = splitKeyPath(keyPath);
    checkWritableKey(path(), root, names, QString());
    modify([&](RegDocument& doc) { doc.createKey(root, names); });
}

namespace {

// The content of a file store while it is locked for an update.
class LockedDocument : public RegistryStore {
public:
    LockedDocument(QString path, RegDocument& doc) : m_path(std::move(path)), m_doc(doc) {}

    std::optional<RegData> readValue(uint32_t root, const QString& keyPath, const QString& valueName) override {
        const RegData* d = m_doc.find(root, splitKeyPath(keyPath), valueName);
        return d ? std::optional<RegData>(*d) : std::nullopt;
    }
    bool keyExists(uint32_t root, const QString& keyPath) override {
        return m_doc.keyExists(root, splitKeyPath(keyPath));
    }
    void writeValue(uint32_t root, const QString& keyPath, const QString& valueName, const RegData& data) override {
        const QStringList names = splitKeyPath(keyPath);
        checkWritableKey(m_path, root, names, valueName);
        m_doc.set(root, names, valueName, data);
    }
    void createKey(uint32_t root, const QString& keyPath) override {
        const QStringList names = splitKeyPath(keyPath);
        checkWritableKey(m_path, root, names, QString());
        m_doc.createKey(root, names);
    }
    void update(const std::function<void(RegistryStore&)>& change) override { change(*this); }

private:
    QString m_path;
    RegDocument& m_doc;
};

} // namespace

void RegFileStore::update(const std::function<void(RegistryStore&)>& change) {
    modify([&](RegDocument& doc) {
        const RegDocument before = doc;
        LockedDocument locked(path(), doc);
        change(locked);
        return !(doc == before);
    });
}

} // namespace ts
