#include "support/scratchfolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <cstdio>

namespace ts::test {

void ScratchFolder::write(const QString& name, const QByteArray& bytes) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size()) << name.toStdString();
}

void ScratchFolder::replace(const QString& name, const QByteArray& bytes) {
    const QString fresh = name + QStringLiteral(".new");
    write(fresh, bytes);
    ASSERT_EQ(std::rename(QFile::encodeName(path(fresh)).constData(), QFile::encodeName(path(name)).constData()), 0)
        << name.toStdString();
}

QByteArray ScratchFolder::read(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace ts::test
