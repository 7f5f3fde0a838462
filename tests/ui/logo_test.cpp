#include "window_fixture.h"

#include "ui/logo.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>

using namespace velmora;
using velmora::test::WindowTest;

namespace {

// The largest step of any colour channel or of the alpha between two neighbouring pixels of a
// row: an edge drawn at the picture's own size steps almost at once, an enlarged small picture
// only by a fraction of the step per pixel.
int sharpestEdge(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    int sharpest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 1; x < image.width(); ++x) {
            const QRgb a = image.pixel(x - 1, y);
            const QRgb b = image.pixel(x, y);
            for (int shift : {0, 8, 16, 24})
                sharpest = std::max(sharpest,
                                    std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff)));
        }
    }
    return sharpest;
}

} // namespace

TEST(LogoIcon, EverySizeFrom16To256IsDrawnAtThatSize)
{
    const QIcon icon = ui::logoIcon();
    const QList<QSize> offered = icon.availableSizes();
    for (int side : {16, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(offered.contains(QSize(side, side))) << side;
        const QPixmap pixmap = icon.pixmap(QSize(side, side));
        EXPECT_EQ(pixmap.size(), QSize(side, side)) << side;
        // Drawn, not empty: the middle of the badge is opaque.
        EXPECT_EQ(qAlpha(pixmap.toImage().pixel(side / 2, side / 2)), 255) << side;
    }

    const QImage big = icon.pixmap(QSize(256, 256)).toImage();
    const QImage enlarged = icon.pixmap(QSize(16, 16))
                                .toImage()
                                .scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_NE(big.convertToFormat(QImage::Format_ARGB32),
              enlarged.convertToFormat(QImage::Format_ARGB32));
    EXPECT_GT(sharpestEdge(big), 2 * sharpestEdge(enlarged));
    // And a size between the offered ones is drawn at that size too.
    EXPECT_EQ(icon.pixmap(QSize(100, 100)).size(), QSize(100, 100));
}

TEST_F(WindowTest, WindowCarriesTheLogoIcon)
{
    open();
    const QIcon icon = window->windowIcon();
    EXPECT_TRUE(icon.availableSizes().contains(QSize(256, 256)));
    EXPECT_EQ(icon.pixmap(QSize(64, 64)).toImage(), ui::logoIcon().pixmap(QSize(64, 64)).toImage());
}
