#include "screenscale.h"

namespace {
ScreenScale g_scale;
}

std::optional<ScreenScale> parseScreenScale(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return ScreenScale{true, 1.0};
    bool ok = false;
    const double factor = t.toDouble(&ok);
    if (!ok || !(factor >= kMinScreenScale && factor <= kMaxScreenScale))
        return std::nullopt;
    return ScreenScale{false, factor};
}

void setScreenScale(ScreenScale scale)
{
    g_scale = scale;
}

ScreenScale screenScale()
{
    return g_scale;
}
