#include "platform/registrystore.h"
#include "regfixtures.h"
#include "settings/tprefsrecord.h"
#include "settings/tquillonregistry.h"
#include "support/killharness.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "support/editorfixture.h"
using ts::test::errorOf;

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ts;

namespace {

const QString kSettingsPath = "Software\\Quillon\\Tagsmith\\Settings\\";
const QString kGeneralPath = "Software\\Quillon\\Tagsmith\\Settings\\General";

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QString>& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        if (value)
            qputenv(name, QFile::encodeName(*value));
        else
            qunsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};


template <class F>
bool throwsWriteError(F&& f) {
    try {
        f();
    } catch (const RegistryWriteError&) {
        return true;
    } catch (const TError&) {
        return false;
    }
    return false;
}

QStringList folderEntries(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(RegFileStore, AMissingFileIsAnEmptyRegistryAndReadingCreatesNothing) {
    test::ScopedRegistryFile reg;
    RegFileStore store(reg.path());
    EXPECT_FALSE(store.readValue(hkey::CurrentUser, kGeneralPath, "Splash").has_value());
    EXPECT_FALSE(store.keyExists(hkey::CurrentUser, kGeneralPath));
    EXPECT_TRUE(store.keyExists(hkey::CurrentUser, ""));
    EXPECT_EQ(store.load(), RegDocument());
    EXPECT_TRUE(folderEntries(reg.folder()).isEmpty());
}

TEST(RegFileStore, AWriteCreatesTheFolderAndAPrivateFileAndLeavesNoTemporaryFile) {
    test::ScopedRegistryFile reg;
    const QString path = reg.folder() + "/config/Quillon/Tagsmith.reg";
    RegFileStore store(path);
    store.writeValue(hkey::CurrentUser, kGeneralPath, "Splash", RegData::dword(1));
    store.createKey(hkey::CurrentUser, "Software\\Quillon\\Tagsmith\\Application\\UserTags\\1");

    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // it holds the FTP password
    EXPECT_EQ(folderEntries(QFileInfo(path).absolutePath()), (QStringList{"Tagsmith.reg", "Tagsmith.reg.lock"}));
    EXPECT_EQ(store.readValue(hkey::CurrentUser, "software\\quillon\\tagsmith\\settings\\general", "splash"),
              RegData::dword(1));
    EXPECT_TRUE(store.keyExists(hkey::CurrentUser, "Software\\Quillon\\Tagsmith\\Application\\UserTags\\1"));
    EXPECT_TRUE(store.keyExists(hkey::CurrentUser, "Software\\Quillon\\Tagsmith\\Application"));
}

TEST(RegFileStore, AWriteKeepsEverythingElseOfARegeditExport) {
    test::ScopedRegistryFile reg;
    reg.setBytes(test::utf16leWithBom(test::kRegeditExport));
    const RegDocument before = RegFileStore(reg.path()).load();

    RegFileStore store(reg.path());
    store.writeValue(hkey::CurrentUser, kGeneralPath, "NewDoc", RegData::dword(1));
    RegDocument expected = before;
    expected.set(hkey::CurrentUser, splitKeyPath(kGeneralPath), "NewDoc", RegData::dword(1));
    EXPECT_EQ(store.load(), expected);
    EXPECT_FALSE(reg.bytes().startsWith("\xFF\xFE")); // rewritten as UTF-8
}

TEST(RegFileStore, ADamagedFileIsReportedByNameAndNeverReplaced) {
    test::ScopedRegistryFile reg;
    const QByteArray damaged = "Windows Registry Editor Version 5.00\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings\\General]\r\n"
                               "\"Splash\"=dword:1\r\n"
                               "\"AppMaxi\"=dword:zz\r\n";
    reg.setBytes(damaged);
    const QString expected =
        QString("Registrierungsdatei \"%1\" ist beschädigt: ungültiger DWORD-Wert in Zeile 5").arg(reg.path());
    RegFileStore store(reg.path());

    EXPECT_EQ(errorOf([&] { store.readValue(hkey::CurrentUser, kGeneralPath, "Splash"); }), expected);
    EXPECT_EQ(errorOf([&] { store.keyExists(hkey::CurrentUser, kGeneralPath); }), expected);
    EXPECT_EQ(reg.bytes(), damaged);

    EXPECT_EQ(errorOf([&] { store.writeValue(hkey::CurrentUser, kGeneralPath, "Splash", RegData::dword(0)); }),
              expected);
    EXPECT_FALSE(throwsWriteError([&] { store.createKey(hkey::CurrentUser, "Software\\X"); }));
    EXPECT_EQ(reg.bytes(), damaged);

    // Through the registry class and the settings record the same text reaches the user.
    TQuillonRegistry registry;
    EXPECT_EQ(errorOf([&] { registry.ReadValue(hkey::CurrentUser, kGeneralPath, "Splash", false); }), expected);
    EXPECT_EQ(errorOf([&] { registry.WriteValue(hkey::CurrentUser, kGeneralPath, "Splash", true); }), expected);
    EXPECT_EQ(errorOf([&] { registry.WriteValue(hkey::CurrentUser, kGeneralPath, "Other", TRegValue{}); }),
              expected);
    EXPECT_EQ(errorOf([] { TPrefsRecord::load(); }), expected);
    EXPECT_EQ(errorOf([] { TPrefsRecord().SaveSettings(); }), expected);
    EXPECT_EQ(reg.bytes(), damaged);
    EXPECT_EQ(folderEntries(reg.folder()).filter(".tmp"), QStringList());
}

TEST(RegFileStore, AUtf16NameUtf8CannotHoldIsDamageAndTheFileStaysAsItWas) {
    const QString lone(QChar(char16_t(0xDC01)));
    struct Case {
        QString text;
        QString fault;
    };
    const QString head = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::vector<Case> cases = {
        {head + "[HKEY_CURRENT_USER\\Software\\Bad" + lone + "]\r\n\"V\"=dword:00000001\r\n",
         "ungültiges UTF-16-Zeichen im Schlüsselnamen in Zeile 3"},
        {head + "[HKEY_CURRENT_USER\\Software]\r\n\"Bad" + lone + "\"=dword:00000001\r\n",
         "ungültiges UTF-16-Zeichen im Wertnamen in Zeile 4"},
    };
    for (const Case& c : cases) {
        test::ScopedRegistryFile reg;
        const QByteArray bytes = test::utf16leWithBom(c.text);
        reg.setBytes(bytes);
        const QString expected = QString("Registrierungsdatei \"%1\" ist beschädigt: %2").arg(reg.path(), c.fault);
        RegFileStore store(reg.path());
        EXPECT_EQ(errorOf([&] { store.writeValue(hkey::CurrentUser, kGeneralPath, "Splash", RegData::dword(1)); }),
                  expected);
        EXPECT_EQ(errorOf([&] { store.readValue(hkey::CurrentUser, "Software", "V"); }), expected);
        EXPECT_EQ(reg.bytes(), bytes);
    }
}

TEST(RegFileStore, AWriteUnderAnUnknownRootIsRefusedAndTheFileStaysReadable) {
    test::ScopedRegistryFile reg;
    RegFileStore store(reg.path());
    store.writeValue(hkey::CurrentUser, kGeneralPath, "Splash", RegData::dword(1));
    const QByteArray before = reg.bytes();
    for (uint32_t root : {0u, 0x7FFFFFFFu, 0x80000007u, 0xFFFFFFFFu}) {
        const QString expected = QString("Registrierungsdatei \"%1\" kann nicht geschrieben werden: "
                                         "ungültiger Stammschlüssel 0x%2")
                                     .arg(reg.path())
                                     .arg(root, 8, 16, QLatin1Char('0'));
        EXPECT_EQ(errorOf([&] { store.writeValue(root, kGeneralPath, "Splash", RegData::dword(0)); }), expected);
        EXPECT_TRUE(throwsWriteError([&] { store.createKey(root, "Software\\X"); }));
        MemoryRegistryStore memory;
        EXPECT_TRUE(throwsWriteError([&] { memory.writeValue(root, kGeneralPath, "Splash", RegData::dword(0)); }));
    }
    EXPECT_EQ(reg.bytes(), before);
    EXPECT_EQ(store.readValue(hkey::CurrentUser, kGeneralPath, "Splash"), RegData::dword(1));
    // The last predefined root is still taken.
    store.writeValue(0x80000006u, "Software", "V", RegData::dword(2));
    EXPECT_EQ(store.readValue(0x80000006u, "Software", "V"), RegData::dword(2));
}

TEST(RegFileStore, AnUnreadableFileIsReportedByName) {
    test::ScopedRegistryFile reg;
    ASSERT_TRUE(QDir().mkpath(reg.path())); // a folder where the file should be
    RegFileStore store(reg.path());
    const QString prefix = QString("Registrierungsdatei \"%1\" kann nicht gelesen werden: ").arg(reg.path());
    EXPECT_TRUE(errorOf([&] { store.readValue(hkey::CurrentUser, kGeneralPath, "Splash"); }).startsWith(prefix));
    EXPECT_TRUE(errorOf([&] { TQuillonRegistry().WriteValue(hkey::CurrentUser, kGeneralPath, "Splash", true); })
                    .startsWith(prefix));
    EXPECT_TRUE(QFileInfo(reg.path()).isDir());
}

TEST(RegFileStore, AFailedWriteNamesTheValueThatWasNotSet) {
    test::ScopedRegistryFile reg;
    QFile blocker(reg.folder() + "/plainfile");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // The file's folder cannot be created below a plain file.
    ScopedEnv env("TAGSMITH_REGISTRY", reg.folder() + "/plainfile/Quillon/Tagsmith.reg");

    EXPECT_TRUE(throwsWriteError(
        [] { registryStore().writeValue(hkey::CurrentUser, kGeneralPath, "Splash", RegData::dword(1)); }));
    TQuillonRegistry registry;
    EXPECT_EQ(errorOf([&] { registry.WriteValue(hkey::CurrentUser, kGeneralPath, "Splash", true); }),
              "Konnte Daten für 'Splash' nicht setzen");
    EXPECT_EQ(errorOf([] { TPrefsRecord().SaveSettings(); }), "Konnte Daten für 'Splash' nicht setzen");
    // Nothing to write for the other kind, so nothing to report.
    EXPECT_EQ(errorOf([&] { registry.WriteValue(hkey::CurrentUser, kGeneralPath, "X", TRegValue{}); }), "");
    // Reading such a place finds nothing, like a missing file.
    EXPECT_EQ(registry.ReadValue(hkey::CurrentUser, kGeneralPath, "Splash", true), TRegValue(true));

    // Names that would break the file's line format are refused, not written.
    test::ScopedRegistryFile other;
    EXPECT_TRUE(throwsWriteError(
        [] { registryStore().writeValue(hkey::CurrentUser, "Software\\Bad\nName", "V", RegData::dword(1)); }));
    EXPECT_TRUE(throwsWriteError(
        [] { registryStore().writeValue(hkey::CurrentUser, "Software", "Bad\rName", RegData::dword(1)); }));
    EXPECT_TRUE(other.bytes().isEmpty());
}

TEST(RegFileStore, TheLocationFollowsTheEnvironmentAtEachCall) {
    test::ScopedRegistryFile reg;
    const QString base = reg.folder();
    {
        ScopedEnv a("TAGSMITH_REGISTRY", std::nullopt);
        ScopedEnv b("XDG_CONFIG_HOME", base + "/xdg");
        EXPECT_EQ(defaultRegistryPath(), base + "/xdg/Quillon/Tagsmith.reg");
        TQuillonRegistry().WriteValue(hkey::CurrentUser, kGeneralPath, "Splash", true);
        EXPECT_TRUE(QFile::exists(base + "/xdg/Quillon/Tagsmith.reg"));
        {
            ScopedEnv c("HOME", base + "/home");
            ScopedEnv d("XDG_CONFIG_HOME", std::nullopt);
            EXPECT_EQ(defaultRegistryPath(), base + "/home/.config/Quillon/Tagsmith.reg");
            ScopedEnv e("XDG_CONFIG_HOME", QString("relative/dir"));
            EXPECT_EQ(defaultRegistryPath(), base + "/home/.config/Quillon/Tagsmith.reg");
            EXPECT_EQ(TQuillonRegistry().ReadValue(hkey::CurrentUser, kGeneralPath, "Splash", false), TRegValue(false));
        }
        EXPECT_EQ(TQuillonRegistry().ReadValue(hkey::CurrentUser, kGeneralPath, "Splash", false), TRegValue(true));
    }
    EXPECT_EQ(defaultRegistryPath(), reg.path());
    EXPECT_EQ(TQuillonRegistry().ReadValue(hkey::CurrentUser, kGeneralPath, "Splash", false), TRegValue(false));
}

TEST(RegFileStore, AWriteThroughASymbolicLinkKeepsTheLink) {
    test::ScopedRegistryFile reg;
    const QString target = reg.folder() + "/dotfiles/Tagsmith.reg";
    RegFileStore(target).writeValue(hkey::CurrentUser, kSettingsPath, "Author", RegData::string("A"));
    ASSERT_TRUE(QFile::link(target, reg.path()));

    TQuillonRegistry().WriteValue(hkey::CurrentUser, kSettingsPath, "EMail", QString("a@example.org"));
    EXPECT_TRUE(QFileInfo(reg.path()).isSymLink());
    EXPECT_EQ(RegFileStore(target).readValue(hkey::CurrentUser, kSettingsPath, "EMail"),
              RegData::string("a@example.org"));
    EXPECT_EQ(RegFileStore(target).readValue(hkey::CurrentUser, kSettingsPath, "Author"), RegData::string("A"));
}

// ---- several processes ------------------------------------------------------

namespace {

// A value whose every byte depends on its counter, so a torn write shows.
QByteArray blobFor(uint32_t counter) {
    QByteArray b(3000, '\0');
    for (int i = 0; i < b.size(); ++i) b[i] = char((counter * 131u + uint32_t(i)) & 0xFF);
    b[0] = char(counter & 0xFF);
    b[1] = char((counter >> 8) & 0xFF);
    b[2] = char((counter >> 16) & 0xFF);
    b[3] = char(counter >> 24);
    return b;
}

uint32_t counterOf(const QByteArray& b) {
    return uchar(b[0]) | (uchar(b[1]) << 8) | (uchar(b[2]) << 16) | (uint32_t(uchar(b[3])) << 24);
}

bool consistent(const QByteArray& b) {
    if (b.size() != 3000) return false;
    const QByteArray expected = blobFor(counterOf(b));
    return b == expected;
}

} // namespace

TEST(RegFileStoreProcesses, TheFileSurvivesAKillInTheMiddleOfAWrite) {
    test::ScopedRegistryFile reg;
    const QString path = reg.path();
    RegFileStore store(path);
    store.writeValue(hkey::CurrentUser, kSettingsPath, "Author", RegData::string("Jörg"));
    std::mt19937 rng(std::random_device{}());
    std::uniform_int_distribution<int> pause(1000, 60000);

    uint32_t last = 0;
    // Twelve kills; more, with longer pauses, while no write has finished yet
    // (a slow build or a busy machine can take longer than the short pauses).
    for (int round = 0; round < 12 || (last == 0 && round < 48); ++round) {
        const uint32_t from = last + 1;
        const auto writeForever = [&] {
            RegFileStore child(path);
            for (uint32_t i = from;; ++i)
                child.writeValue(hkey::CurrentUser, "Software\\Quillon\\Tagsmith\\Test", "Blob", RegData::binary(blobFor(i)));
        };
        const auto after = std::chrono::microseconds(pause(rng) * (round < 12 ? 1 : 8));
        ASSERT_EQ(test::runInChild(writeForever, {after}), test::ChildEnd::Killed) << "the writer stopped by itself";

        RegDocument doc;
        ASSERT_NO_THROW(doc = store.load()) << "round " << round;
        const RegData* author = doc.find(hkey::CurrentUser, splitKeyPath(kSettingsPath), "Author");
        ASSERT_NE(author, nullptr);
        EXPECT_EQ(*author, RegData::string("Jörg"));
        if (const RegData* blob = doc.find(hkey::CurrentUser, {"Software", "Quillon", "Tagsmith", "Test"}, "Blob")) {
            ASSERT_TRUE(consistent(blob->bytes)) << "round " << round;
            EXPECT_GE(counterOf(blob->bytes), last);
            last = counterOf(blob->bytes);
        }
    }
    EXPECT_GT(last, 0u) << "no write ever finished";
    // The next write removes what a killed one left.
    store.writeValue(hkey::CurrentUser, kSettingsPath, "Author", RegData::string("Jörg"));
    EXPECT_EQ(folderEntries(QFileInfo(path).absolutePath()), (QStringList{"Tagsmith.reg", "Tagsmith.reg.lock"}));
}

TEST(RegFileStoreProcesses, TwoWritersAtOnceLoseNoValue) {
    test::ScopedRegistryFile reg;
    const QString path = reg.path();
    constexpr int kWrites = 40;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);

    pid_t pids[2];
    for (int w = 0; w < 2; ++w) {
        pids[w] = ::fork();
        ASSERT_GE(pids[w], 0);
        if (pids[w] == 0) {
            ::close(start[1]);
            char c;
            while (::read(start[0], &c, 1) < 0 && errno == EINTR) {
            }
            int rc = 0;
            try {
                RegFileStore child(path);
                for (int i = 0; i < kWrites; ++i)
                    child.writeValue(hkey::CurrentUser, kGeneralPath, QString("W%1_%2").arg(w).arg(i),
                                     RegData::dword(uint32_t(w * 1000 + i)));
            } catch (...) {
                rc = 3;
            }
            ::_exit(rc);
        }
    }
    ::close(start[0]);
    ::close(start[1]); // both start now

    for (pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const RegDocument doc = RegFileStore(path).load();
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kWrites; ++i) {
            const RegData* v = doc.find(hkey::CurrentUser, splitKeyPath(kGeneralPath), QString("W%1_%2").arg(w).arg(i));
            ASSERT_NE(v, nullptr) << w << " " << i;
            EXPECT_EQ(*v, RegData::dword(uint32_t(w * 1000 + i)));
        }
}

TEST(RegFileStore, AnUpdateWritesTogetherOnlyWhatChangesAndNothingWhenItFails) {
    test::ScopedRegistryFile reg;
    RegFileStore file(reg.path());
    MemoryRegistryStore memory;
    for (RegistryStore* store : {static_cast<RegistryStore*>(&file), static_cast<RegistryStore*>(&memory)}) {
        store->writeValue(hkey::CurrentUser, kGeneralPath, "A", RegData::dword(1));
        auto stored = [&](const char* name) { return store->readValue(hkey::CurrentUser, kGeneralPath, name); };
        EXPECT_THROW(store->update([](RegistryStore& locked) {
            locked.writeValue(hkey::CurrentUser, kGeneralPath, "A", RegData::dword(2));
            locked.writeValue(hkey::CurrentUser, kGeneralPath, "B", RegData::dword(2));
            throw TError("stop");
        }),
                     TError);
        EXPECT_EQ(stored("A"), RegData::dword(1));
        EXPECT_EQ(stored("B"), std::nullopt);

        store->update([](RegistryStore& locked) {
            const auto a = locked.readValue(hkey::CurrentUser, kGeneralPath, "A");
            locked.writeValue(hkey::CurrentUser, kGeneralPath, "B", *a);
            locked.writeValue(hkey::CurrentUser, kGeneralPath, "A", RegData::dword(3));
        });
        EXPECT_EQ(stored("A"), RegData::dword(3));
        EXPECT_EQ(stored("B"), RegData::dword(1));
    }
    // Writing what is there already leaves the file alone.
    auto inode = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(reg.path()).constData(), &st);
        return st.st_ino;
    };
    const ino_t before = inode();
    file.update([](RegistryStore& locked) { locked.writeValue(hkey::CurrentUser, kGeneralPath, "A", RegData::dword(3)); });
    EXPECT_EQ(inode(), before);
}

TEST(RegFileStoreProcesses, TwoUpdatersAtOnceLoseNoIncrement) {
    test::ScopedRegistryFile reg;
    constexpr int kUpdates = 40;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pid_t pids[2];
    for (pid_t& pid : pids) {
        pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char c;
            while (::read(start[0], &c, 1) < 0 && errno == EINTR) {
            }
            int rc = 0;
            try {
                for (int i = 0; i < kUpdates; ++i)
                    TQuillonRegistry().Update([](TQuillonRegistry& registry) {
                        const auto n = std::get<int32_t>(registry.ReadValue(hkey::CurrentUser, kGeneralPath, "N", 0));
                        registry.WriteValue(hkey::CurrentUser, kGeneralPath, "N", n + 1);
                    });
            } catch (...) {
                rc = 3;
            }
            ::_exit(rc);
        }
    }
    ::close(start[0]);
    ::close(start[1]);
    for (pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(TQuillonRegistry().ReadValue(hkey::CurrentUser, kGeneralPath, "N", 0), TRegValue(2 * kUpdates));
}
