#pragma once

#include <QImage>
#include <QString>

namespace velmora::ui {

// Prints a picture on one page, scaled to the page width. With `pdfPath` empty it goes to the
// default printer; otherwise, or when there is no printer, into that PDF file. Returns false when
// nothing could be printed.
bool printPicture(const QImage &picture, const QString &pdfPath);

// Where a page goes when the machine has no printer: a new PDF file in the user's documents.
QString fallbackPdfPath();

} // namespace velmora::ui
