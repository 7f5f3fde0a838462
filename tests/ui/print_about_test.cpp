#include "window_fixture.h"

#include "link/live_points.h"
#include "model/grid_steps.h"
#include "ui/gauge.h"
#include "ui/printing.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLocale>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

namespace {
class PrintAboutTest : public WindowTest {
protected:
    QTabWidget *pages() const { return find<QTabWidget>(QStringLiteral("PageControl1")); }
    QTemporaryDir pdfs;

    void print() { find<QAction>(QStringLiteral("MenuPrint"))->trigger(); }

    // The background of every control the live marking colours: row captions and cells.
    std::vector<QColor> liveColours() const
    {
        std::vector<QColor> colours;
        for (QWidget *w : window->grid().editTable())
            colours.push_back(
                w->palette().color(qobject_cast<QLabel *>(w) ? QPalette::Window : QPalette::Base));
        return colours;
    }
};

// The visible text of a label fits inside it.
bool fitsIn(const QLabel *label)
{
    return label->fontMetrics().horizontalAdvance(label->text()) <=
           label->contentsRect().width() - 2 * label->margin();
}
} // namespace

TEST_F(PrintAboutTest, PrintsThePageOnShowWithoutItsOperatingControls)
{
    open({QStringLiteral("DEUTSCH")});
    ASSERT_TRUE(setTpMode(window->image(), kTpModeConnected));
    window->showStep();
    pages()->setCurrentIndex(2);
    window->setMessage("Read device:", false, true);
    window->setGauge(3, true);
    dialogs.pdfFolder = pdfs.path();

    bool sawPrintMode = false;
    dialogs.whilePrinting = [&](QWidget *w) {
        sawPrintMode = true;
        for (const char *hidden : {"UpDown50i", "UpDown1", "StatusBar1", "GroupBoxToolBar",
                                   "CGaugeRpm", "CSpinButton3i", "CheckBoxExtMonitor", "ImageLogo"})
            EXPECT_TRUE(w->findChild<QWidget *>(QString::fromUtf8(hidden))->isHidden()) << hidden;
        EXPECT_FALSE(w->findChild<QWidget *>(QStringLiteral("Edit50i"))->isHidden());
        const QTabBar *tabs = pages()->tabBar();
        for (int i = 0; i < pages()->count(); ++i)
            EXPECT_EQ(tabs->isTabVisible(i), i == 2) << i;
    };
    find<QAction>(QStringLiteral("MenuPrint"))->trigger();
    ASSERT_TRUE(sawPrintMode);

    // The date line, with the English prefix in German too; the gauge stays hidden.
    const QString line = find<QLabel>(QStringLiteral("LabelHlaseni"))->text();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Date and Time of printing:  ")))
        << line.toStdString();
    // No printer here: the message line says which PDF the page went to.
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelHlaseni"))->toolTip(),
              QDir::toNativeSeparators(pdfs.filePath(QStringLiteral("page1.pdf"))));
    EXPECT_EQ(window->link().messageTimer(), 200);
    EXPECT_TRUE(find<QWidget>(QStringLiteral("CGaugeProgram"))->isHidden());

    // Put back: every listed control visible, except what the coupled maps hide again.
    EXPECT_FALSE(find<QWidget>(QStringLiteral("UpDown1"))->isHidden());
    EXPECT_FALSE(find<QWidget>(QStringLiteral("StatusBar1"))->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("UpDown50i"))->isHidden());
    for (int i = 0; i < pages()->count(); ++i)
        EXPECT_TRUE(pages()->tabBar()->isTabVisible(i));

    // One page in the PDF, and a picture that is not blank.
    ASSERT_EQ(dialogs.printed.size(), 1);
    const QImage picture = dialogs.printed.first();
    EXPECT_NE(picture.pixel(5, 5), picture.pixel(picture.width() / 2, picture.height() / 3));
    QFile pdf(pdfs.filePath(QStringLiteral("page1.pdf")));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
}

TEST_F(PrintAboutTest, AboutNamesTheVersionInEachLanguage)
{
    const std::pair<const char *, const char *> cases[] = {
        {"CESKY", "Verze - 43"}, {"ENGLISH", "Version - 43"}, {"DEUTSCH", "Version - 43"}};
    QStringList makers;
    for (const auto &[argument, line] : cases) {
        open({QString::fromUtf8(argument)});
        find<QAction>(QStringLiteral("MenuAbout"))->trigger();
        const QStringList lines = dialogs.messages.last().split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 11);
        EXPECT_EQ(lines[6], QString::fromUtf8(line));
        EXPECT_EQ(lines[10], QStringLiteral("Contact:"));
        makers << lines[8];
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2} [ 123][0-9] 20[0-9]{2}$"))
                        .match(lines[2])
                        .hasMatch())
            << lines[2].toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$"))
                        .match(lines[4])
                        .hasMatch());
    }
    // The maker line is written in each language.
    makers.removeDuplicates();
    EXPECT_EQ(makers.size(), 3);
    EXPECT_TRUE(dialogs.messages.last().startsWith(
        QString::fromUtf8("Program für der Adjustierung der Zündung        \n")));
}

TEST_F(PrintAboutTest, HelpOpensTheManualOfTheLanguageWhenThereIsOne)
{
    open({QStringLiteral("ENGLISH")});
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    EXPECT_TRUE(dialogs.documents.isEmpty()); // no manual: nothing, not even a message

    const QString docs = QCoreApplication::applicationDirPath() + QStringLiteral("/doc");
    QDir().mkpath(docs);
    QFile(docs + QStringLiteral("/velmora_en.doc")).open(QIODevice::WriteOnly);
    QFile(docs + QStringLiteral("/velmora_de.doc")).open(QIODevice::WriteOnly);
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    find<QAction>(QStringLiteral("MenuGerman"))->trigger();
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    QDir(docs).removeRecursively();
    ASSERT_EQ(dialogs.documents.size(), 2);
    EXPECT_TRUE(dialogs.documents[0].endsWith(QStringLiteral("velmora_en.doc")));
    EXPECT_TRUE(dialogs.documents[1].endsWith(QStringLiteral("velmora_de.doc")));
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuContens"))->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(PrintAboutTest, EveryLiveMarkKeepsItsColourThroughPrinting)
{
    open({QStringLiteral("ENGLISH")});
    link::LiveValues &live = window->link().live();
    live.speed = 4000;
    live.throttleOpening = 20;
    live.intakePressure = 50;
    live.loadMode = 1;
    live.coolant = 150;
    window->Timer1Timer();
    const std::vector<QColor> marked = liveColours();
    const QColor lime(0x00, 0xff, 0x00);
    // The engine runs in TP row 4 (20 %) and IAP row 4 (50 %); the other rows are plain.
    for (const char *row : {"LabelTps5", "LabelTps5i", "LabelIap5"})
        ASSERT_EQ(find<QLabel>(QString::fromUtf8(row))->palette().color(QPalette::Window), lime)
            << row;
    const QColor plain =
        find<QLabel>(QStringLiteral("LabelTps4"))->palette().color(QPalette::Window);
    ASSERT_NE(plain, lime);
    ASSERT_NE(plain, QColor(Qt::white));

    bool whiteWhilePrinting = true;
    dialogs.whilePrinting = [&](QWidget *) {
        for (std::size_t i = 0; i < kRowLabelCount; ++i)
            whiteWhilePrinting = whiteWhilePrinting &&
                                 window->grid().editTable()[i]->palette().color(QPalette::Window) ==
                                     QColor(Qt::white);
    };
    print();
    EXPECT_TRUE(whiteWhilePrinting);
    EXPECT_EQ(liveColours(), marked);
    window->Timer1Timer();
    EXPECT_EQ(liveColours(), marked);

    // The marks move on as before.
    live.throttleOpening = 30;
    window->Timer1Timer();
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelTps5"))->palette().color(QPalette::Window), plain);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelTps6"))->palette().color(QPalette::Window), lime);
}

TEST(PrintLine, TimeOfDayWithSecondsAndWithoutZone)
{
    const QDate date(2024, 3, 5);
    const QTime time(9, 7, 40);
    const std::pair<std::uint8_t, const char *> languages[] = {{0, "Datum a čas tisku:  "},
                                                               {1, "Date and Time of printing:  "},
                                                               {2, "Date and Time of printing:  "}};
    const QRegularExpression timeOfDay(
        QStringLiteral("^0?9[:.]07[:.]40([\\s\\x{202f}]?(AM|am|a\\.m\\.))?$"));
    for (const char *name : {"C", "cs_CZ", "de_DE", "en_US", "en_GB", "fr_FR"}) {
        const QLocale locale(QString::fromUtf8(name));
        for (const auto &[language, prefix] : languages) {
            const QString line = ui::TFormHlav::printLine(language, date, time, locale);
            const QString head = QString::fromUtf8(prefix) +
                                 locale.toString(date, QLocale::ShortFormat) +
                                 QStringLiteral("    ");
            ASSERT_TRUE(line.startsWith(head)) << name << ": " << line.toStdString();
            EXPECT_TRUE(timeOfDay.match(line.mid(head.size())).hasMatch())
                << name << ": " << line.toStdString();
        }
    }
    EXPECT_EQ(ui::timeWithSeconds(QLocale(QStringLiteral("de_DE")), QTime(23, 59, 5)),
              QStringLiteral("23:59:05"));
}

TEST(PrintLine, ZoneLeavesTheFormatWithItsBlanksAndQuotedText)
{
    const std::pair<const char *, const char *> formats[] = {
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"HH:mm:ss tttt 'Uhr'", "HH:mm:ss 'Uhr'"},
        {"'at' HH:mm:ss", "'at' HH:mm:ss"},       // quoted letters are text
        {"HH' o''clock t' t", "HH' o''clock t'"}, // '' is a quote inside quoted text
        {"HH:mm:ss", "HH:mm:ss"}};
    for (const auto &[format, stripped] : formats)
        EXPECT_EQ(ui::withoutTimeZone(QString::fromUtf8(format)), QString::fromUtf8(stripped))
            << format;
}

TEST_F(PrintAboutTest, ALongPdfPathIsNeverCutOff)
{
    openShown({QStringLiteral("ENGLISH")});
    QString folder = pdfs.path();
    for (int level = 0; level < 6; ++level)
        folder += QStringLiteral("/a-rather-long-folder-name-number-%1").arg(level);
    ASSERT_TRUE(QDir().mkpath(folder));
    dialogs.pdfFolder = folder;
    const QString pdf = QDir::toNativeSeparators(folder + QStringLiteral("/page1.pdf"));
    auto *line = find<QLabel>(QStringLiteral("LabelHlaseni"));

    print();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(fitsIn(line)) << line->text().toStdString();
    EXPECT_EQ(line->toolTip(), pdf);
    // The date line stays whole, and both ends of the path show.
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("Date and Time of printing:  ")));
    EXPECT_TRUE(line->text().contains(pdfs.path().left(5)));
    EXPECT_TRUE(line->text().endsWith(QStringLiteral("page1.pdf")));

    // A narrower window fits it again.
    window->resize(window->width() - 200, window->height());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fitsIn(line); }, 2000)) << line->text().toStdString();
    EXPECT_TRUE(line->text().endsWith(QStringLiteral("page1.pdf")));
    EXPECT_EQ(line->toolTip(), pdf);

    // The next message takes the path's hint away with it.
    window->setMessage("Read device:", false, true);
    QHelpEvent hover(QEvent::ToolTip, QPoint(4, 4), line->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(line, &hover);
    EXPECT_TRUE(line->toolTip().isEmpty());
    EXPECT_EQ(line->text(), QStringLiteral("Read device:"));
}

TEST_F(PrintAboutTest, ThePictureLeavesOutTheMenuBar)
{
    openShown({QStringLiteral("ENGLISH")});
    const int menuBar = window->menuBar()->height();
    ASSERT_GT(menuBar, 0);
    QImage menuPicture;
    dialogs.whilePrinting = [&](QWidget *) { menuPicture = window->menuBar()->grab().toImage(); };
    print();
    ASSERT_EQ(dialogs.printed.size(), 1);
    const QImage picture = dialogs.printed.first();
    // The status bar is gone in print mode: the page is all that lies under the menu bar.
    EXPECT_EQ(picture.size(), QSize(window->width(), window->height() - menuBar));
    // Its top is the page's white background, not the menu bar.
    EXPECT_EQ(QColor(picture.pixel(2, 2)), QColor(Qt::white));
    EXPECT_NE(QColor(menuPicture.pixel(2, 2)), QColor(Qt::white));
}
