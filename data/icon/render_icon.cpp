// Renders the window's icon into the files a desktop looks for: one PNG per size and an SVG,
// all painted by the same code that paints the icon of the running window.
//
//   velmora_render_icon OUTPUT_FOLDER SIZE...
//
// writes OUTPUT_FOLDER/SIZExSIZE.png for every SIZE and OUTPUT_FOLDER/scalable.svg.

#include "ui/logo.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <cstdio>

namespace {

// The SVG is drawn at this side; the drawing's strokes keep their proportions from here on up.
constexpr int kSvgSide = 256;

bool writePng(const QIcon &icon, const QString &path, int side)
{
    // An image rather than a pixmap: the pixels are exactly those painted, whatever the screen.
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        icon.paint(&painter, QRect(0, 0, side, side));
    }
    return image.save(path, "PNG");
}

bool writeSvg(const QIcon &icon, const QString &path)
{
    QBuffer text;
    QSvgGenerator svg;
    svg.setOutputDevice(&text);
    svg.setSize(QSize(kSvgSide, kSvgSide));
    svg.setViewBox(QRect(0, 0, kSvgSide, kSvgSide));
    svg.setTitle(QStringLiteral("Velmora"));
    svg.setDescription(QStringLiteral("Velmora 05 configurator"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    icon.paint(&painter, QRect(0, 0, kSvgSide, kSvgSide));
    if (!painter.end())
        return false;
    // The generator gives the size in millimetres at its resolution; an icon theme wants the
    // pixels the drawing was made for.
    QString svgText = QString::fromUtf8(text.data());
    static const QRegularExpression millimetres(
        QStringLiteral(R"(width="[0-9.]+mm" height="[0-9.]+mm")"));
    if (!svgText.contains(millimetres))
        return false;
    svgText.replace(millimetres, QStringLiteral(R"(width="%1" height="%1")").arg(kSvgSide));
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(svgText.toUtf8()) == svgText.toUtf8().size() && file.flush();
}

} // namespace

int main(int argc, char **argv)
{
    // Painting needs no screen; the build may run where there is none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: velmora_render_icon OUTPUT_FOLDER SIZE...\n", stderr);
        return 2;
    }
    const QDir folder(args.at(1));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QIcon icon = velmora::ui::logoIcon();
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool ok = false;
        const int side = args.at(i).toInt(&ok);
        if (!ok || side < 1 || side > 1024) {
            std::fprintf(stderr, "not a size: %s\n", qPrintable(args.at(i)));
            return 2;
        }
        const QString path = folder.filePath(QStringLiteral("%1x%1.png").arg(side));
        if (!writePng(icon, path, side)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString svgPath = folder.filePath(QStringLiteral("scalable.svg"));
    if (!writeSvg(icon, svgPath)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    return 0;
}
