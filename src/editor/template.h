#pragma once
#include <QString>
#include <QStringList>

// Address of the maker's web site, the target of the credit line.
inline const char* const kMakerWebAddress = "https://www.quillon.example/tagsmith/";

// The 18 lines of a new document, with the creation comment's date and time
// already formatted by the caller.
QStringList newDocumentTemplate(const QString& date, const QString& time, const QString& author,
                                const QString& email);
