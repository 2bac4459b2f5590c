#pragma once
// What the tests of loading and saving documents share.
#include "editor/docfile.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

// Readable failure output.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << b.toHex(' ').toStdString(); }

namespace docfiletest {

using namespace ts;

inline std::string_view view(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

inline QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The message of the TError that f throws, or "<no error>".
template <typename F>
inline QString errorOf(F f) {
    try {
        f();
    } catch (const TError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

inline QString openMessage(const QString& path) { return QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. ").arg(path); }
inline QString writeMessage(const QString& path) {
    return QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. ").arg(path);
}

// Loads a file and saves it again the way the document window does.
inline void loadAndSave(const QString& from, const QString& to, LoadedDocument* loaded = nullptr) {
    LoadedDocument doc = loadDocumentFile(from);
    const EncodedDocument enc = encodeDocument(view(doc.utf8), doc.format);
    EXPECT_TRUE(enc.unmappable.isEmpty());
    saveDocumentFile(to, enc);
    if (loaded) *loaded = std::move(doc);
}

// Runs the helper program; returns its exit code (-1 when it did not finish
// normally) and its error output.
struct HelperResult {
    int exitCode = -1;
    QString errorText;
};
inline HelperResult runHelper(const QStringList& args, const QString& tmpDir = {}) {
    QProcess p;
    if (!tmpDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmpDir);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(DOCFILE_HELPER), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

inline const uid_t kOtherUid = 12345;
inline bool isRoot() { return ::geteuid() == 0; }

// A folder others may enter and fill, and files in it they may write: what
// the helper needs when it runs as another user.
inline void openUp(const QString& path, mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }
inline void giveTo(const QString& path, uid_t uid) {
    ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), uid, uid), 0) << path.toStdString();
}

} // namespace docfiletest
