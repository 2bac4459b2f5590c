#pragma once

class QWidget;
class THTML;

namespace ts {

struct TEditContext;

// Connects and enables sbUser1 .. sbUser9 of a document window, labels them
// now and again whenever the window runs FormCreate.
void connectUserTags(THTML& doc);

// FormCreate's work: reloads the table and shows each tag's title and hint
// on its button.
void labelUserTagButtons(THTML& doc);

// Inserts tag number (1 to 9), read afresh from the store, around the caret.
void sbUserClick(const TEditContext& context, int number);

// Tools > User-Tags: runs the manager and, after OK, tells when the change shows.
void openUserTagManager(QWidget* parent);

} // namespace ts
