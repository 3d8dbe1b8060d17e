// Placeholder rewriting: the services write ":P_NAME" parameters, libpq
// numbers them "$1", "$2"...

#include "adoquery.h"

QString qdl::positionalSql(const QString& sql, QStringList* names)
{
    QString out;
    out.reserve(sql.size());
    QChar quote; // inside '...' or "..." when set
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && sql[i + 1] == u':') {
            out += QLatin1String("::"); // a cast
            ++i;
            continue;
        }
        const bool starts = c == u':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == u'_');
        if (!starts) {
            out += c;
            continue;
        }
        qsizetype end = i + 1;
        while (end < sql.size() && (sql[end].isLetterOrNumber() || sql[end] == u'_'))
            ++end;
        const QString name = sql.mid(i + 1, end - i - 1);
        qsizetype number = names->indexOf(name);
        if (number < 0) {
            number = names->size();
            *names << name;
        }
        out += QLatin1Char('$') + QString::number(number + 1);
        i = end - 1;
    }
    return out;
}

QString qdl::namedPlaceholders(const QString& sql)
{
    QString out;
    int n = 0;
    QChar quote;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += QStringLiteral(":P_Q%1").arg(++n);
            continue;
        }
        out += c;
    }
    return out;
}
