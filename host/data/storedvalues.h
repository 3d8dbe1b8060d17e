#pragma once

// Values read from the database are data, written by whoever had the table:
// the screen itself, a sales terminal, another program, a hand at a SQL
// prompt. Before one is printed, shown in a message, drawn on a button or
// made a colour, it goes through here.

#include <QString>
#include <QStringView>
#include <optional>

#include "qdl_data_global.h"

// Whether a text's own line breaks stay (a database error of several lines)
// or are escaped like any other control character (one value on one line).
enum class LineBreaks { Escape, Keep };

// The text with every control character made visible, so that no stored
// value can command the terminal it is printed on (an ESC ] 0 ; ... BEL that
// retitles the window, an ESC [ 2 J that clears it) or break the line it
// stands in. The rule: each C0 control (U+0000 to U+001F), DEL (U+007F) and
// C1 control (U+0080 to U+009F) becomes "\x" and its code in two lowercase
// hex digits ("\x1b" for ESC, "\x9b" for CSI); LineBreaks::Keep leaves
// line feeds as they are. The bidirectional embeddings, overrides and
// isolates (U+202A to U+202E, U+2066 to U+2069), which would reorder the
// line around them unseen, become "\u" and four such digits ("\u202e" for
// RLO). Nothing else changes, a backslash neither, so a text already made
// printable passes through unchanged.
QDL_DATA_EXPORT QString printableText(QStringView text, LineBreaks lineBreaks = LineBreaks::Escape);

// The text cut to at most `characters` characters, as a VARCHAR of that
// width counts them (code points: a character outside the BMP is never
// split). The text itself when it fits.
QDL_DATA_EXPORT QString cutToWidth(const QString& text, int characters);

// The highest colour a button takes: 0x00BBGGRR, white.
inline constexpr int kHighestStoredColour = 0xFFFFFF;

// A stored colour (NRCOLORTEXT, NRCOLORBACK) as the buttons take it: a whole
// value from 0 to 0xFFFFFF, a fractional part dropped. Anything else
// (negative, above 0xFFFFFF, NaN, infinite) is no colour and is never
// converted: nullopt, for the caller to refuse and say so.
QDL_DATA_EXPORT std::optional<int> storedColour(double value);

// The same rule in SQL, for a reader that lets the database pick the rows:
// true when the column holds a value that is no colour (NaN, which
// PostgreSQL's NUMERIC keeps and sorts above every number, included).
inline QString noColourSql(const char* column)
{
    return QStringLiteral("(COALESCE(%1, 0) < 0 OR COALESCE(%1, 0) >= %2)")
        .arg(QLatin1String(column))
        .arg(kHighestStoredColour + 1);
}
