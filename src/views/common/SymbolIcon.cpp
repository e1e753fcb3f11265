#include "views/common/SymbolIcon.h"

#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

// Outside any namespace, as the resource initialiser requires.
static void registerBundledSymbols()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(SymbolIcons);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

// Chosen from the freedesktop standard icon names where one fits, and
// from the names the common themes (Adwaita, Breeze) share where it does not.
const QHash<QString, QString> &themeNames()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("wand.and.stars.inverse"), QStringLiteral("tools-wizard")},
        {QStringLiteral("book"), QStringLiteral("accessories-dictionary")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("dialog-warning")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy")},
        {QStringLiteral("star"), QStringLiteral("non-starred")},
        {QStringLiteral("star.fill"), QStringLiteral("starred")},
        {QStringLiteral("clock"), QStringLiteral("appointment-soon")},
        {QStringLiteral("pin"), QStringLiteral("view-pin")},
        {QStringLiteral("pin.fill"), QStringLiteral("window-pin")},
        {QStringLiteral("text.magnifyingglass"), QStringLiteral("edit-find")},
        {QStringLiteral("speaker.wave.2"), QStringLiteral("audio-volume-medium")},
        {QStringLiteral("speaker.wave.2.fill"), QStringLiteral("audio-volume-high")},
        {QStringLiteral("bookmark"), QStringLiteral("bookmark-new")},
        {QStringLiteral("text.book.closed"), QStringLiteral("x-office-address-book")},
        {QStringLiteral("checkmark.circle"), QStringLiteral("object-select")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("document-export")},
        {QStringLiteral("curlybraces"), QStringLiteral("application-json")},
        {QStringLiteral("tablecells"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("xmark"), QStringLiteral("window-close")},
        {QStringLiteral("books.vertical"), QStringLiteral("folder-documents")},
        {QStringLiteral("clock.arrow.circlepath"), QStringLiteral("document-open-recent")},
        {QStringLiteral("text.alignleft"), QStringLiteral("format-justify-left")},
        {QStringLiteral("graduationcap"), QStringLiteral("applications-education")},
    };
    return names;
}

// Recolours whatever the wrapped icon draws, keeping its shape (alpha) only. The role's colour
// is asked for at each drawing, so that it follows the desktop's scheme.
class TintedIconEngine : public QIconEngine {
public:
    TintedIconEngine(QIcon base, PanelColors::Role role) : m_base(std::move(base)), m_role(role) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap image = scaledPixmap(rect.size(), mode, state, ratio);
        painter->drawPixmap(rect, image);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap image = m_base.pixmap(size, scale, mode, state);
        if (image.isNull()) {
            return image;
        }
        QColor colour = PanelColors::colour(m_role);
        if (mode == QIcon::Disabled) {
            colour.setAlphaF(colour.alphaF() * 0.4f);
        }
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), colour);
        return image;
    }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_base.actualSize(size, mode, state);
    }

    QIconEngine *clone() const override { return new TintedIconEngine(m_base, m_role); }
    QString key() const override { return QStringLiteral("TintedIconEngine"); }

private:
    QIcon m_base;
    PanelColors::Role m_role;
};

} // namespace

QString SymbolIcon::themeName(const QString &symbolName)
{
    return themeNames().value(symbolName);
}

QString SymbolIcon::bundledPath(const QString &symbolName)
{
    if (!themeNames().contains(symbolName)) {
        return {};
    }
    return QStringLiteral(":/symbols/%1.svg").arg(symbolName);
}

QIcon SymbolIcon::icon(const QString &symbolName)
{
    registerBundledSymbols();
    const QString name = themeName(symbolName);
    if (name.isEmpty()) {
        return {};
    }
    // Symbolic variants are single-colour line art, closest to the look of our own drawings.
    const QString symbolic = name + QStringLiteral("-symbolic");
    if (QIcon::hasThemeIcon(symbolic)) {
        return QIcon::fromTheme(symbolic);
    }
    if (QIcon::hasThemeIcon(name)) {
        return QIcon::fromTheme(name);
    }
    return QIcon(bundledPath(symbolName));
}

QIcon SymbolIcon::icon(const QString &symbolName, PanelColors::Role role)
{
    QIcon base = icon(symbolName);
    if (base.isNull()) {
        return base;
    }
    return QIcon(new TintedIconEngine(std::move(base), role));
}
