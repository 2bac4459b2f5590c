// Runs one load or save in a process of its own, so that tests can run it as
// another user or kill it halfway.
//   docfile_helper [--uid N] save <target> <file with the new content>
//   docfile_helper [--uid N] load <path>
// Exit code 0 on success, 1 with the message on stderr on TError, 2 otherwise.
#include "editor/docfile.h"
#include "platform/terror.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <unistd.h>

int main(int argc, char** argv) {
    int i = 1;
    if (i + 1 < argc && std::string_view(argv[i]) == "--uid") {
        const auto id = static_cast<uid_t>(std::strtoul(argv[i + 1], nullptr, 10));
        if (::setgroups(0, nullptr) != 0 || ::setgid(id) != 0 || ::setuid(id) != 0) {
            std::perror("docfile_helper: dropping privileges");
            return 2;
        }
        i += 2;
    }
    const std::string_view command = i < argc ? argv[i] : "";
    try {
        if (command == "save" && i + 2 < argc) {
            QFile source(QFile::decodeName(argv[i + 2]));
            if (!source.open(QIODevice::ReadOnly)) return 2;
            const QByteArray bytes = source.readAll();
            ts::saveFileAtomically(QFile::decodeName(argv[i + 1]),
                                   std::string_view(bytes.constData(), size_t(bytes.size())));
            return 0;
        }
        if (command == "load" && i + 1 < argc) {
            ts::loadDocumentFile(QFile::decodeName(argv[i + 1]));
            return 0;
        }
    } catch (const TError& e) {
        std::fputs(e.message().toUtf8().constData(), stderr);
        return 1;
    }
    std::fputs("usage: docfile_helper [--uid N] save <target> <source> | load <path>\n", stderr);
    return 2;
}
