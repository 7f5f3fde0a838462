// The icon files a desktop shows for the program: each PNG holds the badge at the size its name
// says, and the SVG, drawn at those sizes, looks like the PNG drawn there.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QString pngPath(int side)
{
    return QStringLiteral(VELMORA_ICON_DIR "/%1x%1.png").arg(side);
}

QImage renderSvg(int side)
{
    QSvgRenderer svg(QStringLiteral(VELMORA_ICON_DIR "/scalable.svg"));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!svg.isValid())
        return QImage();
    QPainter painter(&image);
    svg.render(&painter, QRectF(0, 0, side, side));
    return image;
}

struct Difference {
    double mean = 0; // over every channel of every pixel, 0..255
    int largest = 0;
};

Difference compare(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    Difference d;
    long long sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            for (int shift : {0, 8, 16, 24}) {
                const int step = std::abs(int((p >> shift) & 0xff) - int((q >> shift) & 0xff));
                sum += step;
                d.largest = std::max(d.largest, step);
            }
        }
    }
    d.mean = double(sum) / (4.0 * x.width() * x.height());
    return d;
}

// Pixels where the amber gauge outweighs the blue badge.
int amberPixels(const QImage &image)
{
    int count = 0;
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col) {
            const QRgb c = image.pixel(col, row);
            count += qAlpha(c) == 255 && qRed(c) > qBlue(c) + 80 && qGreen(c) > qBlue(c);
        }
    return count;
}

bool isBadgeBlue(QRgb c)
{
    return qAlpha(c) == 255 && qBlue(c) > qRed(c) + 40 && qBlue(c) > 60;
}

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

} // namespace

TEST(IconFiles, EveryPngIsTheBadgeAtItsOwnSize)
{
    for (int side : kSizes) {
        const QImage png(pngPath(side));
        ASSERT_FALSE(png.isNull()) << qPrintable(pngPath(side));
        EXPECT_EQ(png.size(), QSize(side, side));
        EXPECT_TRUE(png.hasAlphaChannel()) << side;
        // Rounded corners: the very corner is at most touched by the edge's smoothing, while
        // the middle of the bottom edge, below the gauge's opening, is badge.
        EXPECT_LT(qAlpha(png.pixel(0, 0)), 64) << side;
        EXPECT_LT(qAlpha(png.pixel(side - 1, side - 1)), 64) << side;
        EXPECT_TRUE(isBadgeBlue(png.pixel(side / 2, side - 2))) << side;
        // The gauge is drawn: its arc and needle cover a good part of the picture.
        EXPECT_GT(amberPixels(png), side * side / 20) << side;
    }
}

TEST(IconFiles, TheSvgLooksLikeThePngsWhereTheStrokesScale)
{
    // Below about 35 pixels the gauge's stroke keeps a width of 1.5 pixels so that it stays
    // visible, while the SVG's stroke shrinks with the drawing: those sizes differ on purpose.
    for (int side : {48, 64, 128, 256}) {
        const QImage svg = renderSvg(side);
        ASSERT_FALSE(svg.isNull()) << "scalable.svg does not load";
        const Difference d = compare(svg, QImage(pngPath(side)));
        EXPECT_LT(d.mean, 1.0) << side;
        // Edges smoothed a little differently, but no shape or colour missing.
        EXPECT_LT(d.largest, 128) << side;
    }
    // The comparison sees a real difference: the SVG drawn a few pixels off does not pass.
    const QImage shifted = renderSvg(256).copy(4, 4, 256, 256);
    EXPECT_GT(compare(shifted, QImage(pngPath(256))).mean, 1.0);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
