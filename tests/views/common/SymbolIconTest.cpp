#include "views/common/SymbolIcon.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QStringList kSymbols{
    "wand.and.stars.inverse", "book", "exclamationmark.triangle", "arrow.clockwise", "doc.on.doc", "star",
    "star.fill", "clock", "pin", "pin.fill", "text.magnifyingglass", "speaker.wave.2", "speaker.wave.2.fill",
    "bookmark", "text.book.closed", "checkmark.circle", "square.and.arrow.up", "curlybraces", "tablecells", "xmark"};

// How many of the image's pixels are drawn, and how many of those are close to the colour.
std::pair<int, int> drawnAndNear(const QImage &image, const QColor &colour = QColor())
{
    int drawn = 0;
    int near = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128)
                continue;
            ++drawn;
            near += std::abs(pixel.red() - colour.red()) < 16 && std::abs(pixel.green() - colour.green()) < 16 &&
                    std::abs(pixel.blue() - colour.blue()) < 16;
        }
    }
    return {drawn, near};
}

TEST(SymbolIconTest, EverySymbolHasAThemeNameAndADrawingOfItsOwn)
{
    for (const QString &symbol : kSymbols) {
        SCOPED_TRACE(symbol.toStdString());
        EXPECT_FALSE(SymbolIcon::themeName(symbol).isEmpty());
        EXPECT_TRUE(QFile::exists(SymbolIcon::bundledPath(symbol)));
        const QImage image = SymbolIcon::icon(symbol).pixmap(QSize(24, 24), 1.0).toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(drawnAndNear(image).first, 20);
    }
    EXPECT_TRUE(SymbolIcon::icon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_TRUE(SymbolIcon::bundledPath(QStringLiteral("no.such.symbol")).isEmpty());
}

TEST(SymbolIconTest, ATintRecoloursTheGlyph)
{
    const QColor yellow(255, 204, 0);
    const QImage image = SymbolIcon::icon(QStringLiteral("star.fill"), yellow).pixmap(QSize(30, 30), 1.0).toImage();
    const auto [drawn, near] = drawnAndNear(image, yellow);
    EXPECT_GT(near, 0.9 * drawn);
    EXPECT_GT(drawn, 0);
}

} // namespace
