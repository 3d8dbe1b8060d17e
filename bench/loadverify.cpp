#include "loadengine.h"
#include "loadseats.h"

namespace qdlload {

// ---------------------------------------------------------------------------
// The check

QString Button::key() const
{
    return QStringList{type, number, page, ident, caption, QString::number(text), QString::number(back), auxType,
                       auxNumber, auxPage}
        .join(QLatin1Char('|'));
}

QStringList verify(const QString& connection, const QList<AreaState>& areas, const QList<SharedRow>& shared)
{
    QStringList out;
    CheckConnection c(connection);
    for (const AreaState& a : areas) {
        QStringList expected, actual;
        for (const Button& b : a.rows)
            expected << b.key();
        for (const QVariantList& r : c.rows(
                 QStringLiteral("SELECT IDTPBUTTON, NRBUTTON, NRPGCONFTELA, CDIDENTBUTON, DSBUTTON, NRCOLORTEXT, "
                                "NRCOLORBACK, IDTPBUTONAUX, NRBUTTONAUX, NRPGCONFTAUX FROM ITMENUCONFTE WHERE CDFILIAL = ? "
                                "AND NRCONFTELA = ? AND ((IDTPBUTTON = '4' AND NRBUTTON = ?) OR (IDTPBUTTON = '3' AND "
                                "IDTPBUTONAUX = '4' AND NRBUTTONAUX = ?))"),
                 {a.branch, kConf, a.areaButton, a.areaButton}))
            actual << Button{r[0].toString(), r[1].toString(), r[2].toString(), r[3].toString(), r[4].toString(),
                             colour(r[5]), colour(r[6]), r[7].toString(), r[8].toString(), r[9].toString()}
                          .key();
        expected.sort();
        actual.sort();
        // Both sides as multisets: a row twice in the database is one too many.
        qsizetype i = 0, j = 0;
        while (i < expected.size() || j < actual.size()) {
            if (j >= actual.size() || (i < expected.size() && expected[i] < actual[j]))
                out << QStringLiteral("terminal %1, branch %2 area button %3: missing %4")
                           .arg(a.terminal).arg(a.branch, a.areaButton, expected[i++]);
            else if (i >= expected.size() || actual[j] < expected[i])
                out << QStringLiteral("terminal %1, branch %2 area button %3: not written by it %4")
                           .arg(a.terminal).arg(a.branch, a.areaButton, actual[j++]);
            else
                ++i, ++j;
        }
    }
    for (const SharedRow& s : shared) {
        const QList<QVariantList> rows =
            c.rows(QStringLiteral("SELECT NRCOLORBACK FROM ITMENUCONFTE WHERE CDFILIAL = ? AND NRCONFTELA = ? AND "
                                  "IDTPBUTTON = '4' AND NRBUTTON = ?"),
                   {s.branch, kConf, s.button});
        if (rows.size() != 1)
            out << QStringLiteral("branch %1 area button %2: %3 rows").arg(s.branch, s.button).arg(rows.size());
        else if (!s.allowedBack.contains(colour(rows[0][0])))
            out << QStringLiteral("branch %1 area button %2: colour %3 is not the last one written")
                       .arg(s.branch, s.button)
                       .arg(colour(rows[0][0]));
    }
    return out;
}

} // namespace qdlload
