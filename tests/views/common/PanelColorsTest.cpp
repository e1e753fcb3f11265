#include "views/common/PanelColors.h"

#include <gtest/gtest.h>

namespace {

TEST(PanelColorsTest, ContrastFollowsTheAccessibilityFormula)
{
    const struct {
        QColor first, second;
        double ratio;
    } cases[] = {
        {Qt::black, Qt::white, 21.0},
        {QColor(241, 241, 241), QColor(241, 241, 241), 1.0},
        {QColor(118, 118, 118), Qt::white, 4.54}, // the lightest grey that passes on white
        {QColor(0, 0, 255), Qt::white, 8.59},
    };
    for (const auto &row : cases) {
        EXPECT_NEAR(PanelColors::contrastRatio(row.first, row.second), row.ratio, 0.01)
            << row.first.name().toStdString();
        EXPECT_NEAR(PanelColors::contrastRatio(row.second, row.first), row.ratio, 0.01) << "symmetric";
    }
}

TEST(PanelColorsTest, ReadableColoursKeepTheirHueAndPassOnLightAndDarkPages)
{
    for (const QColor page : {QColor(241, 241, 241), QColor(36, 36, 36), QColor(128, 128, 128)}) {
        for (const QColor wanted : {QColor(255, 204, 0, 191), QColor(0, 0, 0, 128), QColor(255, 255, 255, 128),
                                    QColor(48, 140, 198), QColor(200, 30, 30), page}) {
            const QColor readable = PanelColors::readableOn(wanted, page);
            EXPECT_GE(PanelColors::contrastRatio(readable, page), 4.5) << wanted.name(QColor::HexArgb).toStdString();
            if (wanted.hslSaturation() > 0 && readable.hslSaturation() > 0) {
                EXPECT_NEAR(readable.hslHueF(), wanted.hslHueF(), 0.02);
            }
        }
    }
}

} // namespace
