#include "docfile_fixtures.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/killharness.h"
#include "support/testenv.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <iostream>
#include <limits>
#include <random>
#include <sys/file.h>

using namespace ts;
using namespace docfiletest;

TEST(SaveFileAtomically, AKillMidwayLeavesTheOldOrTheNewFileWhole) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    QByteArray old(40 << 20, Qt::Uninitialized), fresh(50 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < old.size(); ++i) old[i] = char('a' + i % 23);
    for (qsizetype i = 0; i < fresh.size(); ++i) fresh[i] = char('A' + i % 19);

    for (bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "in place" : "by rename");
        QTemporaryDir site;
        const QString target = site.filePath(QStringLiteral("big.htm"));
        writeBytes(target, old);
        if (hardLinked) {
            ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                             QFile::encodeName(site.filePath(QStringLiteral("second.htm"))).constData()), 0);
        }
        const auto save = [&] { saveFileAtomically(target, view(fresh)); };
        QStringList files{QStringLiteral("big.htm")};
        if (hardLinked) files.append(QStringLiteral("second.htm"));
        // A kill may leave the one temporary file, and in place the one backup.
        QStringList allowed = files + QStringList{QStringLiteral(".big.htm.tagsmith.tmp")};
        if (hardLinked) allowed.append(QStringLiteral(".big.htm.tagsmith.bak"));

        // Whole runs first, to learn how long a save takes here.
        qint64 fullRun = std::numeric_limits<qint64>::max();
        for (int run = 0; run < 2; ++run) {
            writeBytes(target, old);
            QElapsedTimer timer;
            timer.start();
            ASSERT_EQ(test::runInChild(save), test::ChildEnd::Returned);
            fullRun = std::min(fullRun, timer.elapsed());
            ASSERT_EQ(readBytes(target), fresh);
        }

        // The kills are spread over the whole run, each at a random moment of its stretch.
        const int rounds = 8;
        int sawOld = 0, sawNew = 0, sawBackup = 0;
        for (int round = 0; round < rounds; ++round) {
            writeBytes(target, old); // in place, so hard links stay
            const auto delay = std::chrono::microseconds(
                (fullRun * 1000 * round + qint64(rng() % unsigned(fullRun * 1000 + 1))) / rounds);
            test::runInChild(save, {delay});

            for (const QString& name : entries(site.path()))
                ASSERT_TRUE(allowed.contains(name)) << "left behind: " << name.toStdString();
            const QByteArray now = readBytes(target);
            if (now == old) {
                ++sawOld;
            } else if (now == fresh) {
                ++sawNew;
            } else {
                // In place the target may be half written, but then its backup is offered and restores it.
                ASSERT_TRUE(hardLinked) << "target corrupted after a kill by rename, " << now.size() << " bytes";
                test::ScopedPlatform platform;
                platform.boxes.answers = {Answer::Yes};
                offerSaveBackup(nullptr, target);
                ASSERT_EQ(platform.boxes.shown.size(), 1u) << "target corrupted and no backup offered";
                ASSERT_EQ(readBytes(target), old) << "the backup did not restore the old content whole";
                ++sawBackup;
            }
            // The next save removes whatever the killed one left.
            ASSERT_EQ(test::runInChild(save), test::ChildEnd::Returned);
            ASSERT_EQ(entries(site.path()), files);
        }
        std::cout << (hardLinked ? "in place" : "by rename") << ": full run " << fullRun << " ms, old " << sawOld
                  << ", new " << sawNew << ", restorable from backup " << sawBackup << '\n';
    }
}

namespace {

// Runs a save in a child process, which the system kills when a write passes `limit` bytes.
bool saveKilledAt(const QString& target, const QByteArray& content, long long limit) {
    const auto save = [&] { saveFileAtomically(target, view(content)); };
    return test::runInChild(save, {.fileSizeLimit = limit}) == test::ChildEnd::Killed;
}

QByteArray documentText(const THTML& doc) {
    const std::string_view v = doc.RichEdit()->DocumentBytes();
    return QByteArray(v.data(), qsizetype(v.size()));
}

} // namespace

TEST(SaveFileAtomically, WhatAKilledSaveLeavesIsOfferedWhenTornAndRemovedByTheNextSave) {
    QTemporaryDir dir;
    QByteArray old(100000, Qt::Uninitialized), fresh(300000, Qt::Uninitialized);
    for (qsizetype i = 0; i < old.size(); ++i) old[i] = char('a' + i % 23);
    for (qsizetype i = 0; i < fresh.size(); ++i) fresh[i] = char('A' + i % 19);
    struct Case {
        const char* what;
        bool hardLinked;
        long long limit;
        const char* leftover;
    };
    const Case cases[] = {
        {"killed writing the new file", false, 50000, ".page.htm.tagsmith.tmp"},
        {"killed writing the backup", true, 50000, ".page.htm.tagsmith.tmp"},
        {"killed overwriting in place", true, 200000, ".page.htm.tagsmith.bak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir site;
        const QString target = site.filePath(QStringLiteral("page.htm"));
        writeBytes(target, old);
        QStringList files{QStringLiteral("page.htm")};
        if (c.hardLinked) {
            files.append(QStringLiteral("second.htm"));
            ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(site.filePath(files[1])).constData()), 0);
        }
        const bool torn = qsizetype(c.limit) > old.size();
        ASSERT_TRUE(saveKilledAt(target, fresh, c.limit));
        QStringList left = files + QStringList{QString::fromLatin1(c.leftover)};
        left.sort();
        EXPECT_EQ(entries(site.path()), left);
        EXPECT_TRUE(readBytes(target) == (torn ? fresh.left(qsizetype(c.limit)) : old));

        // Opening it: a torn file is offered for restoring, declined once, then taken.
        test::ScopedPlatform platform;
        test::FreshRegistry registry;
        platform.boxes.answers = {Answer::No, Answer::Yes};
        const QString question =
            QStringLiteral("The last save of \"%1\" did not finish, so the file may be incomplete. Its content "
                           "from before that save is kept in \"%2\". Restore it?")
                .arg(target, site.filePath(QString::fromLatin1(c.leftover)));
        for (int open = 0; open < (torn ? 2 : 1); ++open) {
            THTML doc;
            doc.SetFileName(target);
            doc.LoadDocument();
            EXPECT_TRUE(documentText(doc) == (torn && open == 0 ? fresh.left(qsizetype(c.limit)) : old)) << open;
        }
        EXPECT_EQ(platform.boxes.texts(), torn ? (QStringList{question, question}) : QStringList());
        EXPECT_TRUE(readBytes(target) == old);
        if (torn) {
            EXPECT_EQ(entries(site.path()), files);
            ASSERT_TRUE(saveKilledAt(target, fresh, c.limit)); // and once more, to leave a backup
        }

        saveFileAtomically(target, view(fresh));
        EXPECT_TRUE(readBytes(target) == fresh);
        EXPECT_EQ(entries(site.path()), files);
        if (torn) {
            // A save by rename, once the file has one name left, removes the backup too.
            writeBytes(target, old);
            ASSERT_TRUE(saveKilledAt(target, fresh, c.limit));
            ASSERT_TRUE(QFile::remove(site.filePath(files[1])));
            saveFileAtomically(target, view(fresh));
            EXPECT_EQ(entries(site.path()), QStringList{files[0]});
        }
    }
}

TEST(SaveFileAtomically, WaitsWhileAnotherProcessSavesTheSameFile) {
    QTemporaryDir site;
    const QString target = site.filePath(QStringLiteral("page.htm"));
    const QString source = site.filePath(QStringLiteral("source"));
    const QString temp = site.filePath(QStringLiteral(".page.htm.tagsmith.tmp"));
    writeBytes(target, "old");
    writeBytes(source, "new");
    writeBytes(temp, "theirs");
    const int theirs = ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(theirs, 0);
    ASSERT_EQ(::flock(theirs, LOCK_EX), 0);

    QProcess p;
    p.start(QStringLiteral(DOCFILE_HELPER), {QStringLiteral("save"), target, source});
    EXPECT_FALSE(p.waitForFinished(700)) << "did not wait for the save in progress";
    EXPECT_EQ(readBytes(temp), QByteArray("theirs"));
    EXPECT_EQ(readBytes(target), QByteArray("old"));
    ::close(theirs); // that save ends without a rename, as a killed one does
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(readBytes(target), QByteArray("new"));
    EXPECT_EQ(entries(site.path()), (QStringList{"page.htm", "source"}));
}

