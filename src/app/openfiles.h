#pragma once
#include <QString>
#include <QStringList>

class QWidget;
class TMain;
class THTML;

namespace ts {

// The file the command line names: its first argument, and only when that
// contains ".htm"; empty otherwise.
QString commandLineFile(const QStringList& arguments);

// Whether two names, each relative to the current folder or absolute, are
// the same file.
bool sameFile(const QString& a, const QString& b);

// The document window that holds this file, or nullptr.
THTML* documentOfFile(const TMain& main, const QString& path);

// Brings the file's window to the front, or opens the file as File > Open
// does when no window holds it.
void showFile(TMain& main, const QString& path);

// Raises the frame above the other programs' windows and gives it the focus;
// token is the desktop's permission for that, where it hands one out.
void bringToFront(QWidget& frame, const QString& activationToken = {});

} // namespace ts
