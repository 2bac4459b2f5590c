#include "docfile_fixtures.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

using namespace ts;
using namespace docfiletest;

TEST(SaveFileAtomically, ANewFileGetsTheUmaskModeAndAnOldOneKeepsItsBits) {
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(027);
    const QString fresh = dir.filePath(QStringLiteral("new.htm"));
    saveFileAtomically(fresh, "one");
    ::umask(0);
    const QString open = dir.filePath(QStringLiteral("open.htm"));
    saveFileAtomically(open, "two");
    ::umask(oldMask);
    EXPECT_EQ(statOf(fresh).st_mode & 07777, 0640u);
    EXPECT_EQ(statOf(open).st_mode & 07777, 0666u);
    EXPECT_EQ(readBytes(fresh), QByteArray("one"));

    for (mode_t mode : {0755, 0700, 0640, 0604, 04755, 0444}) {
        SCOPED_TRACE(testing::Message() << std::oct << mode);
        const QString path = dir.filePath(QStringLiteral("script.sh"));
        writeBytes(path, "#!/bin/sh\nold\n");
        openUp(path, mode);
        const ino_t before = statOf(path).st_ino;
        const QString message = errorOf([&] { saveFileAtomically(path, "#!/bin/sh\nnew\n"); });
        if (mode == 0444 && !isRoot()) {
            // Not the user's to write: refused, though the folder would allow a rename.
            EXPECT_EQ(message, writeMessage(path) + QStringLiteral("Zugriff verweigert."));
            EXPECT_EQ(readBytes(path), QByteArray("#!/bin/sh\nold\n"));
            continue;
        }
        EXPECT_EQ(message, QStringLiteral("<no error>"));
        EXPECT_EQ(readBytes(path), QByteArray("#!/bin/sh\nnew\n"));
        EXPECT_EQ(statOf(path).st_mode & 07777, mode);
        EXPECT_NE(statOf(path).st_ino, before) << "not replaced by a rename";
    }
    EXPECT_EQ(entries(dir.path()), (QStringList{"new.htm", "open.htm", "script.sh"}));
}

TEST(SaveFileAtomically, ReplacesWhatALinkPointsToAndKeepsTheLink) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("site")));
    const QString file = dir.filePath(QStringLiteral("site/index.htm"));
    writeBytes(file, "old");
    openUp(file, 0750);
    // direct -> site/index.htm (relative), chain -> direct (absolute).
    const QString direct = dir.filePath(QStringLiteral("direct.htm"));
    const QString chain = dir.filePath(QStringLiteral("chain.htm"));
    ASSERT_EQ(::symlink("site/index.htm", QFile::encodeName(direct).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(direct).constData(), QFile::encodeName(chain).constData()), 0);

    saveFileAtomically(direct, "via link");
    EXPECT_EQ(readBytes(file), QByteArray("via link"));
    saveFileAtomically(chain, "via chain");
    EXPECT_EQ(readBytes(file), QByteArray("via chain"));
    EXPECT_EQ(QFile::symLinkTarget(direct), file);
    EXPECT_EQ(QFileInfo(chain).symLinkTarget(), direct);
    EXPECT_EQ(QFileInfo(chain).canonicalFilePath(), file);
    EXPECT_TRUE(QFileInfo(direct).isSymLink());
    EXPECT_TRUE(QFileInfo(chain).isSymLink());
    EXPECT_EQ(statOf(file).st_mode & 07777, 0750u);

    // A dangling link: the file it names comes into being.
    const QString dangling = dir.filePath(QStringLiteral("dangling.htm"));
    ASSERT_EQ(::symlink("site/later.htm", QFile::encodeName(dangling).constData()), 0);
    saveFileAtomically(dangling, "later");
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("site/later.htm"))), QByteArray("later"));
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());

    // A loop of links is refused.
    const QString a = dir.filePath(QStringLiteral("a.htm")), b = dir.filePath(QStringLiteral("b.htm"));
    ASSERT_EQ(::symlink("b.htm", QFile::encodeName(a).constData()), 0);
    ASSERT_EQ(::symlink("a.htm", QFile::encodeName(b).constData()), 0);
    EXPECT_EQ(errorOf([&] { saveFileAtomically(a, "x"); }),
              writeMessage(a) + QStringLiteral("Zu viele Ebenen symbolischer Links."));

    EXPECT_EQ(entries(dir.path()), (QStringList{"a.htm", "b.htm", "chain.htm", "dangling.htm", "direct.htm", "site"}));
    EXPECT_EQ(entries(dir.filePath(QStringLiteral("site"))), (QStringList{"index.htm", "later.htm"}));
}

TEST(SaveFileAtomically, KeepsHardLinksOwnerAndGroup) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    const QString other = dir.filePath(QStringLiteral("other name.htm"));
    writeBytes(file, QByteArray(300000, 'o'));
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(other).constData()), 0);
    openUp(file, 0751);
    const ino_t inode = statOf(file).st_ino;
    saveFileAtomically(file, "short now");
    EXPECT_EQ(readBytes(file), QByteArray("short now"));
    EXPECT_EQ(readBytes(other), QByteArray("short now"));
    saveFileAtomically(other, QByteArray(500000, 'n').toStdString());
    EXPECT_EQ(readBytes(file), QByteArray(500000, 'n'));
    EXPECT_EQ(statOf(file).st_ino, inode);
    EXPECT_EQ(statOf(file).st_nlink, 2u);
    EXPECT_EQ(statOf(file).st_mode & 07777, 0751u);
    EXPECT_EQ(entries(dir.path()), (QStringList{"other name.htm", "page.htm"})) << "backup left behind";

    if (!isRoot()) GTEST_SKIP() << "giving files to other users needs root";
    const QString theirs = dir.filePath(QStringLiteral("theirs.htm"));
    writeBytes(theirs, "old");
    giveTo(theirs, kOtherUid);
    openUp(theirs, 0640);
    const ino_t theirInode = statOf(theirs).st_ino;
    saveFileAtomically(theirs, "new");
    EXPECT_EQ(readBytes(theirs), QByteArray("new"));
    EXPECT_EQ(statOf(theirs).st_uid, kOtherUid);
    EXPECT_EQ(statOf(theirs).st_gid, kOtherUid);
    EXPECT_EQ(statOf(theirs).st_ino, theirInode);
    EXPECT_EQ(statOf(theirs).st_mode & 07777, 0640u);

    // Our own file in another group is replaced, and keeps the group.
    const QString group = dir.filePath(QStringLiteral("group.htm"));
    writeBytes(group, "old");
    ASSERT_EQ(::chown(QFile::encodeName(group).constData(), 0, kOtherUid), 0);
    openUp(group, 02775);
    saveFileAtomically(group, "new");
    EXPECT_EQ(readBytes(group), QByteArray("new"));
    EXPECT_EQ(statOf(group).st_gid, kOtherUid);
    EXPECT_EQ(statOf(group).st_mode & 07777, 02775u);
    EXPECT_EQ(entries(dir.path()), (QStringList{"group.htm", "other name.htm", "page.htm", "theirs.htm"}));
}

TEST(SaveFileAtomically, RefusesPathsThatCannotHoldAFile) {
    QTemporaryDir dir;
    const QString noFolder = dir.filePath(QStringLiteral("missing/page.htm"));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(noFolder, "x"); }),
              writeMessage(noFolder) + QStringLiteral("Datei oder Verzeichnis nicht gefunden."));

    const QString plain = dir.filePath(QStringLiteral("plain.htm"));
    writeBytes(plain, "keep");
    const QString underFile = plain + QStringLiteral("/page.htm");
    EXPECT_EQ(errorOf([&] { saveFileAtomically(underFile, "x"); }),
              writeMessage(underFile) + QStringLiteral("Ein Teil des Pfades ist kein Verzeichnis."));

    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(folder, "x"); }),
              writeMessage(folder) + QStringLiteral("Das ist ein Verzeichnis."));
    EXPECT_EQ(errorOf([&] { saveFileAtomically(QString(), "x"); }),
              writeMessage(QString()) + QStringLiteral("Datei oder Verzeichnis nicht gefunden."));
    const QString fifo = dir.filePath(QStringLiteral("pipe.htm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(errorOf([&] { saveFileAtomically(fifo, "x"); }),
              writeMessage(fifo) + QStringLiteral("Das ist keine gewöhnliche Datei."));

    EXPECT_EQ(readBytes(plain), QByteArray("keep"));
    EXPECT_EQ(entries(dir.path()), (QStringList{"folder", "pipe.htm", "plain.htm"}));
    EXPECT_TRUE(entries(folder).isEmpty());
}

// Root writes everywhere, so these run as another user in a helper process.
TEST(SaveFileAtomically, RespectsFoldersAndFilesTheUserMayNotWrite) {
    if (!isRoot()) GTEST_SKIP() << "needs root to act as another user";
    QTemporaryDir dir, tmp;
    openUp(dir.path(), 0755); // root's folder: others may enter, not add files
    openUp(tmp.path(), 0777);
    const QString uid = QString::number(kOtherUid);
    QFile source(tmp.filePath(QStringLiteral("new content")));
    ASSERT_TRUE(source.open(QIODevice::WriteOnly));
    source.write("new");
    source.close();
    const auto save = [&](const QString& target) {
        return runHelper({QStringLiteral("--uid"), uid, QStringLiteral("save"), target, source.fileName()}, tmp.path());
    };

    const QString roots = dir.filePath(QStringLiteral("roots.htm"));
    writeBytes(roots, "old");
    HelperResult r = save(roots);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errorText, writeMessage(roots) + QStringLiteral("Zugriff verweigert."));
    EXPECT_EQ(readBytes(roots), QByteArray("old"));

    const QString fresh = dir.filePath(QStringLiteral("new.htm"));
    r = save(fresh);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errorText, writeMessage(fresh) + QStringLiteral("Zugriff verweigert."));

    // Their own file in a folder that takes no new files: written in place,
    // with the backup in the temporary folder.
    const QString mine = dir.filePath(QStringLiteral("mine.htm"));
    writeBytes(mine, "old");
    giveTo(mine, kOtherUid);
    const ino_t inode = statOf(mine).st_ino;
    r = save(mine);
    EXPECT_EQ(r.exitCode, 0) << r.errorText.toStdString();
    EXPECT_EQ(readBytes(mine), QByteArray("new"));
    EXPECT_EQ(statOf(mine).st_ino, inode);
    EXPECT_EQ(statOf(mine).st_uid, kOtherUid);
    EXPECT_EQ(entries(dir.path()), (QStringList{"mine.htm", "roots.htm"}));
    EXPECT_EQ(entries(tmp.path()), QStringList{"new content"}) << "backup left behind";

    // Their file in a group they are not in: a rename could not keep the group, so in place.
    const QString foreignGroup = tmp.filePath(QStringLiteral("group.htm"));
    writeBytes(foreignGroup, "old");
    ASSERT_EQ(::chown(QFile::encodeName(foreignGroup).constData(), kOtherUid, 0), 0);
    openUp(foreignGroup, 0664);
    const ino_t groupInode = statOf(foreignGroup).st_ino;
    r = save(foreignGroup);
    EXPECT_EQ(r.exitCode, 0) << r.errorText.toStdString();
    EXPECT_EQ(readBytes(foreignGroup), QByteArray("new"));
    EXPECT_EQ(statOf(foreignGroup).st_gid, 0u);
    EXPECT_EQ(statOf(foreignGroup).st_ino, groupInode);
    EXPECT_EQ(statOf(foreignGroup).st_mode & 07777, 0664u);
    ASSERT_TRUE(QFile::remove(foreignGroup));

    // A read-only file of theirs in a folder they may write: not replaced.
    const QString readOnly = tmp.filePath(QStringLiteral("readonly.htm"));
    writeBytes(readOnly, "old");
    giveTo(readOnly, kOtherUid);
    openUp(readOnly, 0444);
    r = save(readOnly);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errorText, writeMessage(readOnly) + QStringLiteral("Zugriff verweigert."));
    EXPECT_EQ(readBytes(readOnly), QByteArray("old"));
    EXPECT_EQ(entries(tmp.path()), (QStringList{"new content", "readonly.htm"}));
}

namespace {
// Makes writes beyond `bytes` fail as on a full disk (EFBIG instead of ENOSPC).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
} // namespace

TEST(SaveFileAtomically, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
    QTemporaryDir dir;
    const QByteArray old(200000, 'o');
    const std::string huge(3 << 20, 'n');
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    const QString link = dir.filePath(QStringLiteral("link.htm"));
    writeBytes(file, old);
    QString replaced, inPlace;
    {
        FileSizeLimit limit(1 << 20);
        replaced = errorOf([&] { saveFileAtomically(file, huge); });
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
        inPlace = errorOf([&] { saveFileAtomically(link, huge); });
    }
    EXPECT_EQ(replaced, writeMessage(file) + QStringLiteral("Die Datei ist zu groß."));
    EXPECT_EQ(inPlace, writeMessage(link) + QStringLiteral("Die Datei ist zu groß."));
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(readBytes(link), old);
    EXPECT_EQ(entries(dir.path()), (QStringList{"link.htm", "page.htm"}));

    // The same sizes without the limit go through.
    saveFileAtomically(link, huge);
    EXPECT_EQ(readBytes(file).size(), qsizetype(huge.size()));
}
