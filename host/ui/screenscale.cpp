#include "screenscale.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <cmath>

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

double effectiveScreenScale(ScreenScale scale, QSize available)
{
    if (!scale.automatic)
        return scale.factor;
    if (available.isEmpty())
        return 1.0;
    const double fits = std::min(double(available.width()) / kScreenDesignSize.width(),
                                 double(available.height()) / kScreenDesignSize.height());
    return std::clamp(fits, kMinScreenScale, kMaxScreenScale);
}

double effectiveScreenScale(const QScreen* screen)
{
    const ScreenScale scale = screenScale();
    return effectiveScreenScale(scale, screen ? screen->availableGeometry().size() : QSize());
}

QScreen* openingScreen(const QWidget* owner)
{
    if (owner)
        return owner->screen();
    return QGuiApplication::primaryScreen();
}

int UiScale::px(int designPixels) const
{
    if (designPixels == 0)
        return 0;
    const int scaled = qRound(designPixels * m_factor);
    if (scaled == 0)
        return designPixels > 0 ? 1 : -1;
    return scaled;
}

QSize UiScale::size(QSize design) const
{
    return {px(design.width()), px(design.height())};
}

QRect UiScale::rect(QRect design) const
{
    const int left = qRound(design.left() * m_factor);
    const int top = qRound(design.top() * m_factor);
    const int right = qRound((design.left() + design.width()) * m_factor);
    const int bottom = qRound((design.top() + design.height()) * m_factor);
    const auto extent = [](int from, int to, int designExtent) {
        return designExtent > 0 ? std::max(1, to - from) : 0;
    };
    return {left, top, extent(left, right, design.width()), extent(top, bottom, design.height())};
}

QFont UiScale::font(QFont design) const
{
    if (design.pixelSize() > 0)
        design.setPixelSize(px(design.pixelSize()));
    else if (design.pointSizeF() > 0)
        design.setPointSizeF(design.pointSizeF() * m_factor);
    return design;
}

QString UiScale::styleSheet(const QString& design) const
{
    if (m_factor == 1.0)
        return design;
    static const QRegularExpression pixels(QStringLiteral("(\\d+)px"));
    QString out;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& m : pixels.globalMatch(design)) {
        out += QStringView(design).mid(from, m.capturedStart() - from);
        out += QString::number(px(m.captured(1).toInt())) + QLatin1String("px");
        from = m.capturedEnd();
    }
    out += QStringView(design).mid(from);
    return out;
}

int UiScale::line(int designPixels) const
{
    return std::max(1, qRound(designPixels * m_factor));
}
