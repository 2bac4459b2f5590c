#pragma once
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace ts {

// Multicoloured text: one FONT line per character, cycling through eight
// colours and, except in the normal layout, through a table of sizes.
enum class TPartyLayout : std::uint8_t { Normal = 0, SmallToBig = 1, SmallToBigToSmall = 2, BigToSmall = 3 };

struct TPartyFields {
    TPartyLayout layout = TPartyLayout::Normal;
    std::array<QString, 8> colours;  // "#RRGGBB", buttons 1 to 8
    QString text;
};

// The lines in writing order, "<BR>" last. A character is what the user sees
// as one (an emoji or a letter with its accent is one line).
QStringList composePartyLines(const TPartyFields& fields);

// The fifteen colours the random button draws from.
const std::array<QString, 15>& partyRandomColours();

// A picture table: a heading, then the files in rows of a given length.
struct TGalleryFields {
    QString title;
    int rowLength = 4;  // 0 to 255
    bool useBorder = true;
    QString border;
    QString imageUrl;  // written directly before each file name
    QString linkUrl;   // every picture links here when not empty
    QStringList images;
};

// The lines in writing order. The last row is left open, as browsers accept.
QStringList composeGalleryLines(const TGalleryFields& fields);

// A whole number as typed, or the runtime's conversion error (a TError).
int toInteger(const QString& text);

} // namespace ts
