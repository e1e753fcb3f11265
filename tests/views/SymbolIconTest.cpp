#include "views/SymbolIcon.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QStringList kSymbols{
    "wand.and.stars.inverse", "book", "exclamationmark.triangle", "arrow.clockwise", "doc.on.doc", "star",
    "star.fill", "clock", "pin", "pin.fill", "text.magnifyingglass", "speaker.wave.2", "speaker.wave.2.fill",
    "bookmark", "text.book.closed", "checkmark.circle", "square.and.arrow.up", "curlybraces", "tablecells", "xmark"};

int drawnPixelCount(const QImage &image)
{
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            drawn += image.pixelColor(x, y).alpha() >= 128 ? 1 : 0;
        }
    }
    return drawn;
}

// The share of the image's drawn pixels close to the colour.
double shareOfPixelsNear(const QImage &image, const QColor &colour)
{
    int drawn = 0;
    int near = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128) {
                continue;
            }
            ++drawn;
            if (std::abs(pixel.red() - colour.red()) < 16 && std::abs(pixel.green() - colour.green()) < 16 &&
                std::abs(pixel.blue() - colour.blue()) < 16) {
                ++near;
            }
        }
    }
    return drawn == 0 ? 0.0 : double(near) / drawn;
}

TEST(SymbolIconTest, EverySymbolHasAThemeNameAndADrawingOfItsOwn)
{
    for (const QString &symbol : kSymbols) {
        SCOPED_TRACE(symbol.toStdString());
        EXPECT_FALSE(SymbolIcon::themeName(symbol).isEmpty());
        EXPECT_TRUE(QFile::exists(SymbolIcon::bundledPath(symbol)));
        const QImage image = SymbolIcon::icon(symbol).pixmap(QSize(24, 24), 1.0).toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(drawnPixelCount(image), 20);
    }
    EXPECT_TRUE(SymbolIcon::icon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_TRUE(SymbolIcon::bundledPath(QStringLiteral("no.such.symbol")).isEmpty());
}

TEST(SymbolIconTest, ATintRecoloursTheGlyph)
{
    const QColor yellow(255, 204, 0);
    const QImage image = SymbolIcon::icon(QStringLiteral("star.fill"), yellow).pixmap(QSize(30, 30), 1.0).toImage();
    EXPECT_GT(shareOfPixelsNear(image, yellow), 0.9);
}

} // namespace
