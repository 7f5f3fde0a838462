#include "printing.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
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

QString withoutTimeZone(const QString &timeFormat)
{
    QString format;
    bool quoted = false; // text in single quotes is literal, a 't' in it included
    for (const QChar c : timeFormat) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t')) {
            // the blank that parted the zone from the time goes with it
            while (!format.isEmpty() && format.back().isSpace())
                format.chop(1);
            continue;
        }
        format += c;
    }
    return format.trimmed();
}

QString timeWithSeconds(const QLocale &locale, const QTime &time)
{
    return locale.toString(time, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
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
