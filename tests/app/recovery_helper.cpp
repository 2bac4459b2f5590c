// A Tagsmith that makes unsaved edits in three documents and keeps running
// until it is killed:
//   recovery_helper <recovery folder> <work folder>
// The work folder holds cp1252.htm and big.htm; the bytes each document would
// be saved as are written to expected1..3 before "ready" is printed.
#include "app/tapplication.h"
#include "app/tmain.h"
#include "editor/accessibility.h"
#include "editor/recovery.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"

#include <QFile>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    if (argc < 3) return 2;
    installEditorAccessibility();
    ts::setRecoveryFolder(QFile::decodeName(argv[1]));
    const QString work = QFile::decodeName(argv[2]);
    TMain main;
    main.show();
    auto edit = [](THTML* doc, unsigned long at, const char* text) {
        doc->RichEdit()->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, at, text);
    };
    main.sbNewClick();
    THTML* untitled = main.ActiveDocument();
    edit(untitled, 0, "<P>typed \xE2\x82\xAC</P>\r\n");
    edit(untitled, 3, "never saved ");

    QList<THTML*> docs{untitled};
    for (const char* name : {"cp1252.htm", "big.htm"}) {
        THTML* doc = main.CreateDocument();
        doc->SetFileName(work + QLatin1Char('/') + QLatin1String(name));
        doc->LoadDocument();
        main.ShowDocument(doc);
        docs << doc;
    }
    edit(docs[1], 3, "\xC3\xA4 ");
    docs[1]->RichEdit()->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, 0ul, 1l);
    const auto middle = static_cast<unsigned long>(docs[2]->RichEdit()->SendScintilla(
        QsciScintillaBase::SCI_POSITIONFROMLINE, docs[2]->RichEdit()->LineCount() / 2));
    docs[2]->RichEdit()->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, middle, 10l);
    edit(docs[2], middle, "<B>middle</B>");
    edit(docs[2], static_cast<unsigned long>(docs[2]->RichEdit()->ByteLength()), "end\n");

    // Once every journal holds its whole text and the last edits.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &main, [&] {
        for (THTML* doc : docs)
            if (!doc->Journal() || !doc->Journal()->HoldsText() || !doc->Journal()->Settled()) return;
        poll.stop();
        for (int i = 0; i < docs.size(); ++i) {
            QFile f(work + QStringLiteral("/expected%1").arg(i + 1));
            if (!f.open(QIODevice::WriteOnly)) std::exit(3);
            f.write(ts::encodeDocument(docs[i]->RichEdit()->DocumentBytes(), docs[i]->Format()).bytes());
        }
        std::puts("ready");
        std::fflush(stdout);
    });
    poll.start(20);
    return app.exec();
}
