#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ts::test {

// A temporary folder for a test's files, written and read as other programs would.
struct ScratchFolder {
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    // Written in place, keeping the file's inode; fails the test when it cannot be.
    void write(const QString& name, const QByteArray& bytes);
    // Written to another file and renamed over it, as most editors save.
    void replace(const QString& name, const QByteArray& bytes);
    // The file's content, or "<missing>".
    QByteArray read(const QString& name) const;
};

} // namespace ts::test
