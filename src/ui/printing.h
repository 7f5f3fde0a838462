#pragma once

#include <QImage>
#include <QString>

class QLocale;
class QTime;

namespace velmora::ui {

// Prints a picture on one page, scaled to the page width. With `pdfPath` empty it goes to the
// default printer; otherwise, or when there is no printer, into that PDF file. Returns false when
// nothing could be printed.
bool printPicture(const QImage &picture, const QString &pdfPath);

// A time format as QLocale gives it, without the time zone that its long formats carry: the
// printout states the time of day on the desk it was printed at, nothing more.
QString withoutTimeZone(const QString &timeFormat);

// The time of day in `locale`'s long format (with seconds), without the time zone.
QString timeWithSeconds(const QLocale &locale, const QTime &time);

// Where a page goes when the machine has no printer: a new PDF file in the user's documents.
QString fallbackPdfPath();

} // namespace velmora::ui
