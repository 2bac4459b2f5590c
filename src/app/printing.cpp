#include "app/printing.h"

#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/terror.h"

#include <Qsci/qsciprinter.h>

QString printJobTitle(const QString& fileName) {
    return QStringLiteral("Tagsmith - \u00BB") + fileName + QStringLiteral("\u00AB");
}

void printDocument(THTML& doc, QsciPrinter& printer) {
    // The printer reads the control itself: a large file still being read
    // would print its first lines only.
    doc.RichEdit()->FinishLoad();
    printer.setDocName(printJobTitle(doc.FileName()));
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setMagnification(0);
    // Long lines continue on the next printed line instead of being cut off.
    printer.setWrapMode(QsciScintilla::WrapCharacter);
    // Paper is white whatever the editor's background.
    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                                  QsciScintillaBase::SC_PRINT_COLOURONWHITE);
    if (!printer.printRange(doc.RichEdit()))
        throw TError(QStringLiteral("Das Dokument \"%1\" konnte nicht gedruckt werden.").arg(doc.FileName()));
}
