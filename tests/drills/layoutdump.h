#pragma once

// A full, ordered dump of the stored layout, for proving that a failed or
// interrupted change left ITMENUCONFTE exactly as it was.

#include <QStringList>
#include <memory>
#include <stdexcept>

#include "adoconnection.h"

// Every column of every row of ITMENUCONFTE, one line per row, ordered by
// the button key; a null reads "<null>".
inline QStringList dumpLayout(TADOConnection& db)
{
    DbError error;
    const std::unique_ptr<TADOQuery> q =
        db.prepare(QStringLiteral("SELECT * FROM ITMENUCONFTE ORDER BY CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                                  "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX"),
                   error);
    const auto failed = [](const DbError& e) {
        return std::runtime_error((e.message() + QStringLiteral(" (") + e.code() + QLatin1Char(')')).toStdString());
    };
    if (!q)
        throw failed(error);
    if (!q->exec())
        throw failed(q->lastError());
    QStringList rows;
    while (q->next()) {
        QStringList cells;
        for (int i = 0; i < q->columnCount(); ++i) {
            const QVariant v = q->value(i);
            cells << q->columnName(i).toUpper() + QLatin1Char('=')
                         + (v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    if (q->lastError().isValid())
        throw failed(q->lastError());
    q->finish();
    return rows;
}
