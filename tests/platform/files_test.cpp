#include "platform/files.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <csignal>
#include <string_view>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

using namespace ts;

// A pipe takes a few kilobytes at a time, and a signal that arrives meanwhile
// (the handler set without SA_RESTART) cuts a write or a read short or fails
// it with EINTR: every byte must still arrive, once and in order.
TEST(WriteAllAndReadAll, EveryByteCrossesAPipeWhileSignalsInterruptThem) {
    struct sigaction quiet {}, old {};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    ASSERT_EQ(::sigaction(SIGALRM, &quiet, &old), 0);
    const itimerval often{{0, 300}, {0, 300}}, never{};
    ASSERT_EQ(::setitimer(ITIMER_REAL, &often, nullptr), 0);

    QByteArray first(5 << 20, Qt::Uninitialized), second(3 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < first.size(); ++i) first[i] = char(i * 7 + i / 4093);
    for (qsizetype i = 0; i < second.size(); ++i) second[i] = char(i * 13 + i / 509);
    const std::string_view pieces[] = {{first.constData(), size_t(first.size())}, {},
                                       {second.constData(), size_t(second.size())}};
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    int writeError = -1;
    std::thread writer([&] {
        writeError = writeAll(fds[1], pieces);
        ::close(fds[1]);
    });
    QByteArray got;
    const int readError = readAll(fds[0], got, 100);
    writer.join();
    ::close(fds[0]);
    ::setitimer(ITIMER_REAL, &never, nullptr);
    ::sigaction(SIGALRM, &old, nullptr);

    EXPECT_EQ(writeError, 0);
    EXPECT_EQ(readError, 0);
    EXPECT_EQ(got.size(), first.size() + second.size());
    EXPECT_TRUE(got == first + second);
}

// Written a window at a time to the disk: every byte lands where it belongs,
// from wherever the file's position stood, across the pieces' edges.
TEST(WriteAll, ALargeFileIsWrittenWholeFromItsPosition) {
    char name[] = "/tmp/tagsmith-writeall-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::unlink(name);
    QByteArray first((19 << 20) + 7, Qt::Uninitialized), second((6 << 20) + 5, Qt::Uninitialized);
    for (qsizetype i = 0; i < first.size(); ++i) first[i] = char(i * 7 + i / 4093);
    for (qsizetype i = 0; i < second.size(); ++i) second[i] = char(i * 13 + i / 509);
    const std::string_view pieces[] = {{first.constData(), size_t(first.size())}, {},
                                       {second.constData(), size_t(second.size())}};
    ASSERT_EQ(::write(fd, "head", 4), 4);
    EXPECT_EQ(writeAll(fd, pieces), 0);
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 4 + first.size() + second.size());
    ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
    QByteArray got;
    EXPECT_EQ(readAll(fd, got), 0);
    ::close(fd);
    EXPECT_TRUE(got == "head" + first + second);
}
