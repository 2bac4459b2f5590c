#pragma once
#include <QList>
#include <QPointer>
#include <QString>
#include <vector>

class QMenu;
class TMain;
class THTML;

namespace ts {

// What a clean exit leaves for the next start.
struct ReopenDocument {
    QString file;
    int line = 0;   // of the caret, from 0
    int column = 0; // in characters, from 0
    bool operator==(const ReopenDocument&) const = default;
};
struct ReopenList {
    std::vector<ReopenDocument> documents; // in window order
    int active = -1;                       // index of the active one; -1 for none
    bool operator==(const ReopenList&) const = default;
};

ReopenList readReopenList();
void writeReopenList(const ReopenList& list);
// Options > Restore documents at start; on until switched off.
bool restoreDocumentsAtStart();
void setRestoreDocumentsAtStart(bool on);

// Appends the checkable Options > "&Restore documents at start".
void addReopenSwitch(TMain& main, QMenu* options);

// The end of the start-up: the documents of the last run when the switch is
// on, then the command line's file (empty for none), in front. The documents
// load once the frame's first picture is on the screen; those that are gone
// are named in one message at the end.
void openStartDocuments(TMain& main, const QString& commandLineFile);

// A clean exit: made before the documents are asked whether they may close,
// committed once all of them agreed.
class ExitRecord {
public:
    explicit ExitRecord(TMain& main);
    // Remembers the documents that have a file name for the next start, and
    // puts the names the close questions saved under on the recent list.
    void Commit();

private:
    TMain& m_main;
    QList<QPointer<THTML>> m_untitled;
};

} // namespace ts
