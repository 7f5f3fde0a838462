#include "printing.h"

#include <QDateTime>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace velmora::ui {

bool printPicture(const QImage &picture, const QString &pdfPath)
{
    QPrinter printer(QPrinter::HighResolution);
    if (pdfPath.isEmpty()) {
        if (QPrinterInfo::defaultPrinter().isNull())
            return false;
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
    }
    printer.setPageOrientation(picture.width() > picture.height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.width(), page.height(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.drawImage(0, 0, picture);
    return painter.end();
}

QString fallbackPdfPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    QDir().mkpath(folder);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    return QDir(folder).filePath(QStringLiteral("velmora-print-%1.pdf").arg(stamp));
}

} // namespace velmora::ui
