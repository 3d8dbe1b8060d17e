#include "textutil.h"

QString Ajusta(const QString& text, int width)
{
    return text.rightJustified(width, QLatin1Char('0'));
}

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}
