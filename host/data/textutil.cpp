#include "textutil.h"

#include <QRegularExpression>

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}

std::optional<QDateTime> parseCommandLineTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^([0-9]{4}-[0-9]{2}-[0-9]{2})(?:[T ]([0-9]{2}:[0-9]{2}(?::[0-9]{2}(?:\\.[0-9]{1,3})?)?))?(Z|[+-][0-9]{2}:?[0-9]{2})?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    QString iso = m.captured(1) + QLatin1Char('T') + (m.captured(2).isEmpty() ? QStringLiteral("00:00") : m.captured(2));
    iso += m.captured(3);
    // Without a zone Qt reads local time, as the operator means it.
    const QDateTime at = QDateTime::fromString(iso, Qt::ISODateWithMs);
    if (!at.isValid())
        return std::nullopt;
    return at;
}
