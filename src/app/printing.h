#pragma once
#include <QString>

class QsciPrinter;
class THTML;

// The job title of a printed document.
QString printJobTitle(const QString& fileName);

// Prints the document's text on the printer as one job: the whole printable
// area of each page, the editor's font, a new page when one is full.
// Throws TError when the printer refuses the job.
void printDocument(THTML& doc, QsciPrinter& printer);
