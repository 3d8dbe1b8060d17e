#pragma once

// A full, ordered dump of the stored layout, for proving that a failed or
// interrupted change left ITMENUCONFTE exactly as it was.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <stdexcept>

// Every column of every row of ITMENUCONFTE, one line per row, ordered by
// the button key; a null reads "<null>".
inline QStringList dumpLayout(QSqlDatabase db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM ITMENUCONFTE ORDER BY CDFILIAL, NRCONFTELA, IDTPBUTTON, NRBUTTON, "
                               "NRPGCONFTELA, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX")))
        throw std::runtime_error(q.lastError().text().toStdString());
    QStringList rows;
    while (q.next()) {
        const QSqlRecord r = q.record();
        QStringList cells;
        for (int i = 0; i < r.count(); ++i)
            cells << r.fieldName(i).toUpper() + QLatin1Char('=')
                         + (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    q.finish();
    return rows;
}
