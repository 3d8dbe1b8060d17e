#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "qdl_data_global.h"

// Index of the first of count names that equals wanted, ignoring case (the
// databases answer column names in either case); -1 when none does.
// nameAt(i) gives the i-th name.
template <class NameAt>
int indexOfName(qsizetype count, NameAt&& nameAt, QStringView wanted)
{
    for (qsizetype i = 0; i < count; ++i)
        if (QStringView(nameAt(int(i))).compare(wanted, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// True when the text is empty or holds only blanks (the free caption " ").
QDL_DATA_EXPORT bool EmptyString(const QString& text);

// A time as an administrator writes it on the command line: ISO 8601 in
// local time ("2026-12-07T14:30", "2026-12-07 14:30:05", a date alone for
// its midnight; "Z" or an offset such as "+01:00" names another zone).
// Empty when the text is no such time.
QDL_DATA_EXPORT std::optional<QDateTime> parseCommandLineTime(const QString& text);
