#include "views/common/PanelTheme.h"

#include "views/common/SymbolIcon.h"

#include <QEvent>
#include <QLabel>
#include <QWidget>

namespace {

constexpr char kTextRole[] = "panelTextRole";
constexpr char kGlyphSymbol[] = "panelGlyphSymbol";
constexpr char kGlyphRole[] = "panelGlyphRole";
constexpr char kGlyphExtent[] = "panelGlyphExtent";
constexpr char kStyleSheet[] = "panelStyleSheet";

QString css(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(rgb.red()).arg(rgb.green()).arg(rgb.blue()).arg(rgb.alpha());
}

QString resolvedStyleSheet(QString styleSheet)
{
    const QColor page = PanelColors::appPageBackground();
    const std::pair<const char *, QColor> colours[] = {
        {"@secondaryLabel", PanelColors::colour(PanelColors::Role::secondaryLabel)},
        {"@accent", PanelColors::colour(PanelColors::Role::accent)},
        {"@label", PanelColors::colour(PanelColors::Role::label)},
        {"@border", QColor(128, 128, 128, 82)},
        {"@base", PanelColors::raisedBackground()},
        {"@page", page},
    };
    for (const auto &[name, colour] : colours) {
        styleSheet.replace(QLatin1String(name), css(colour));
    }
    return styleSheet;
}

void applyTextRole(QWidget *widget, PanelColors::Role role)
{
    const QColor colour = PanelColors::colour(role);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

void applyGlyph(QLabel *label, const QString &symbolName, PanelColors::Role role, int extent)
{
    const QIcon icon = SymbolIcon::icon(symbolName, role);
    label->setPixmap(icon.pixmap(QSize(extent, extent), label->devicePixelRatioF()));
}

void applyPage(QWidget *window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, PanelColors::appPageBackground());
    palette.setColor(QPalette::WindowText, PanelColors::colour(PanelColors::Role::label));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

// Lives on the window: the desktop's palette reaches every widget as ApplicationPaletteChange
// (the widgets' own palettes keep the roles set on them), a new icon or style theme as
// ThemeChange.
class DesktopSchemeFollower : public QObject {
public:
    explicit DesktopSchemeFollower(QWidget *window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && !m_applying
            && (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange)) {
            m_applying = true;
            PanelTheme::apply(m_window);
            m_applying = false;
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_applying = false;
};

} // namespace

void PanelTheme::followDesktop(QWidget *window)
{
    applyPage(window);
    window->installEventFilter(new DesktopSchemeFollower(window));
}

void PanelTheme::apply(QWidget *window)
{
    applyPage(window);
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const QVariant textRole = widget->property(kTextRole);
        if (textRole.isValid()) {
            applyTextRole(widget, static_cast<PanelColors::Role>(textRole.toInt()));
        }
        if (auto *label = qobject_cast<QLabel *>(widget); label && label->property(kGlyphSymbol).isValid()) {
            applyGlyph(label, label->property(kGlyphSymbol).toString(),
                       static_cast<PanelColors::Role>(label->property(kGlyphRole).toInt()),
                       label->property(kGlyphExtent).toInt());
        }
        const QVariant styleSheet = widget->property(kStyleSheet);
        if (styleSheet.isValid()) {
            widget->setStyleSheet(resolvedStyleSheet(styleSheet.toString()));
        }
        // Tinted icons take their colour when drawn.
        widget->update();
    }
}

void PanelTheme::setTextRole(QWidget *widget, PanelColors::Role role)
{
    widget->setProperty(kTextRole, static_cast<int>(role));
    applyTextRole(widget, role);
}

void PanelTheme::setGlyph(QLabel *label, const QString &symbolName, PanelColors::Role role, int extent)
{
    label->setProperty(kGlyphSymbol, symbolName);
    label->setProperty(kGlyphRole, static_cast<int>(role));
    label->setProperty(kGlyphExtent, extent);
    applyGlyph(label, symbolName, role, extent);
}

void PanelTheme::setStyleSheet(QWidget *widget, const QString &styleSheet)
{
    widget->setProperty(kStyleSheet, styleSheet);
    widget->setStyleSheet(resolvedStyleSheet(styleSheet));
}
