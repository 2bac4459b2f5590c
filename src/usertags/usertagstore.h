#pragma once
#include <QString>

#include <array>
#include <cstdint>

// One user-defined tag: a start and an end text put around the caret.
struct TUserTag {
    QString Title;    // button caption, at most kUserTagTitleLength characters
    QString Name;
    QString StartTag;
    QString EndTag;
    QString Hint;     // button tooltip

    bool operator==(const TUserTag&) const = default;
};

inline constexpr int kUserTagCount = 9;
inline constexpr int kUserTagTitleLength = 4;

// What a title can hold: the first four characters of text, never half of
// a character outside the basic plane.
QString clipUserTagTitle(const QString& text);

// Registry key of tag number (1 to 9).
QString userTagKeyPath(int number);

// The program-wide working copy of the nine tags, numbered 1 to 9.
TUserTag& UserTagTable(int number);

// Reads all nine tags into the table; a missing value keeps the table's
// current content. A value of the wrong type throws and stops the load there.
void LoadUserTags();
// Reads one tag into the caller's record; a missing value keeps its field.
void LoadUserTag(uint8_t number, TUserTag& tag);
// Writes all five values of all nine tags, empty ones included.
void SaveUserTags();
