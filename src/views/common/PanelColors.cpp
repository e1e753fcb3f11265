#include "views/common/PanelColors.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

// A little above the 4.5:1 of normal text, so that antialiased edges of small glyphs still
// read as the colour.
constexpr double kMinimumContrast = 4.8;

double relativeLuminance(const QColor &colour)
{
    const auto linear = [](float channel) {
        return channel <= 0.04045f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

QColor blend(const QColor &over, const QColor &under, float alpha)
{
    const QColor top = over.toRgb();
    const QColor bottom = under.toRgb();
    const auto mix = [alpha](float a, float b) { return a * alpha + b * (1.0f - alpha); };
    return QColor::fromRgbF(mix(top.redF(), bottom.redF()), mix(top.greenF(), bottom.greenF()),
                            mix(top.blueF(), bottom.blueF()));
}

QColor desktopColour(QPalette::ColorRole role)
{
    return QApplication::palette().color(QPalette::Active, role);
}

bool desktopIsDark()
{
    return relativeLuminance(desktopColour(QPalette::Window)) < relativeLuminance(desktopColour(QPalette::WindowText));
}

} // namespace

QColor PanelColors::appPageBackground()
{
    if (desktopIsDark()) {
        return QColor(36, 36, 36);
    }
    return QColor::fromRgbF(0.9450980392156862f, 0.9450980392156862f, 0.9450980392156862f, 1.0f);
}

QColor PanelColors::raisedBackground()
{
    return desktopIsDark() ? QColor(54, 54, 54) : QColor(Qt::white);
}

QColor PanelColors::colour(Role role)
{
    return readableOn(pageColour(role), raisedBackground());
}

QColor PanelColors::pageColour(Role role)
{
    const QColor page = appPageBackground();
    switch (role) {
    case Role::label:
        return readableOn(blend(desktopColour(QPalette::WindowText), page, 0.85f), page);
    case Role::secondaryLabel:
        return readableOn(blend(desktopColour(QPalette::WindowText), page, 0.5f), page);
    case Role::accent:
        return readableOn(desktopColour(QPalette::Highlight), page);
    case Role::savedStar:
        return readableOn(blend(QColor(255, 204, 0), page, 0.75f), page);
    case Role::warning:
        return readableOn(QColor(230, 126, 0), page);
    case Role::errorText:
        return readableOn(QColor(200, 30, 30), page);
    }
    return readableOn(desktopColour(QPalette::WindowText), page);
}

double PanelColors::contrastRatio(const QColor &first, const QColor &second)
{
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor PanelColors::readableOn(const QColor &wanted, const QColor &page)
{
    QColor colour = blend(wanted, page, wanted.alphaF());
    const bool darken = relativeLuminance(page) > 0.18;
    float hue = 0;
    float saturation = 0;
    float lightness = 0;
    colour.getHslF(&hue, &saturation, &lightness);
    hue = std::max(hue, 0.0f); // -1 for a grey
    // Lightness runs out at black or white, which contrast with any page.
    while (contrastRatio(colour, page) < kMinimumContrast && lightness > 0.0f && lightness < 1.0f) {
        lightness = std::clamp(lightness + (darken ? -0.02f : 0.02f), 0.0f, 1.0f);
        colour = QColor::fromHslF(hue, saturation, lightness).toRgb();
    }
    return colour;
}
