#include "textutil.h"

bool EmptyString(const QString& text)
{
    return text.trimmed().isEmpty();
}
