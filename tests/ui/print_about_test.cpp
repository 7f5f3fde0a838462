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

// Lays out an HTML manual page for each language code given under `folder`.
static void layOutManual(const QString &folder, const QStringList &languages)
{
    for (const QString &language : languages) {
        QDir().mkpath(folder + QLatin1Char('/') + language);
        QFile page(folder + QLatin1Char('/') + language + QStringLiteral("/index.html"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html></html>");
    }
}

TEST_F(PrintAboutTest, HelpOpensTheHtmlManualOfTheLanguageInForce)
{
    QTemporaryDir root;
    const QString installed = root.path() + QStringLiteral("/installed");
    const QString built = root.path() + QStringLiteral("/built");
    // The first folder holds only the German manual: the others come from the second.
    layOutManual(installed, {QStringLiteral("de")});
    layOutManual(built, {QStringLiteral("en"), QStringLiteral("cs"), QStringLiteral("de")});
    manualFolders = {root.path() + QStringLiteral("/missing"), installed, built};
    open({QStringLiteral("ENGLISH")});
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    find<QAction>(QStringLiteral("MenuCzech"))->trigger();
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    find<QAction>(QStringLiteral("MenuGerman"))->trigger();
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    EXPECT_EQ(dialogs.documents, QStringList({built + QStringLiteral("/en/index.html"),
                                              built + QStringLiteral("/cs/index.html"),
                                              installed + QStringLiteral("/de/index.html")}));
}

TEST_F(PrintAboutTest, HelpDoesNothingWithoutAManualOfTheLanguage)
{
    QTemporaryDir root;
    // An English manual only, and a Czech folder whose page is a folder, not a file.
    layOutManual(root.path(), {QStringLiteral("en")});
    QDir().mkpath(root.path() + QStringLiteral("/cs/index.html"));
    manualFolders = {root.path()};
    open({QStringLiteral("CESKY")});
    const QStringList before = dialogs.messages; // the port's opening error
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    find<QAction>(QStringLiteral("MenuGerman"))->trigger();
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    EXPECT_TRUE(dialogs.documents.isEmpty());
    EXPECT_EQ(dialogs.messages, before); // not even a message
}

TEST_F(PrintAboutTest, HelpPrefersAWordProcessorManualBesideTheProgram)
{
    QTemporaryDir root;
    layOutManual(root.path(), {QStringLiteral("en"), QStringLiteral("cs"), QStringLiteral("de")});
    manualFolders = {root.path()};
    const QString docs = root.path() + QStringLiteral("/doc");
    QDir().mkpath(docs);
    wordManualFolders = {root.path() + QStringLiteral("/missing"), docs};
    QFile(docs + QStringLiteral("/velmora_en.doc")).open(QIODevice::WriteOnly);
    QFile(docs + QStringLiteral("/velmora_de.doc")).open(QIODevice::WriteOnly);
    open({QStringLiteral("ENGLISH")});
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    find<QAction>(QStringLiteral("MenuGerman"))->trigger();
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    // Czech has no word-processor manual: the HTML one is opened.
    find<QAction>(QStringLiteral("MenuCzech"))->trigger();
    find<QAction>(QStringLiteral("MenuContens"))->trigger();
    EXPECT_EQ(dialogs.documents, QStringList({docs + QStringLiteral("/velmora_en.doc"),
                                              docs + QStringLiteral("/velmora_de.doc"),
                                              root.path() + QStringLiteral("/cs/index.html")}));
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
    window->Timer1Timer();
    const std::vector<QColor> marked = liveColours();
    for (const char *row : {"LabelTps5", "LabelTps5i", "LabelIap5"}) // the rows the engine runs in
        ASSERT_EQ(find<QLabel>(QString::fromUtf8(row))->palette().color(QPalette::Window),
                  QColor(0x00, 0xff, 0x00))
            << row;
    print();
    EXPECT_EQ(liveColours(), marked);
    window->Timer1Timer();
    EXPECT_EQ(liveColours(), marked);
}

TEST(PrintLine, DateAndTimeOfDayWithSecondsWithoutZone)
{
    const QDate date(2024, 3, 5);
    const QRegularExpression timeOfDay(
        QStringLiteral("^0?9[:.]07[:.]40([\\s\\x{202f}]?(AM|am))?$"));
    for (const char *name : {"C", "cs_CZ", "de_DE", "en_US"}) {
        const QLocale locale(QString::fromUtf8(name));
        const QString line = ui::TFormHlav::printLine(0, date, QTime(9, 7, 40), locale);
        const QString head = QString::fromUtf8("Datum a čas tisku:  ") +
                             locale.toString(date, QLocale::ShortFormat) + QStringLiteral("    ");
        ASSERT_TRUE(line.startsWith(head)) << line.toStdString();
        EXPECT_TRUE(timeOfDay.match(line.mid(head.size())).hasMatch()) << line.toStdString();
    }
    // The zone goes with its blank; quoted text stays, a doubled quote inside it included.
    const std::pair<const char *, const char *> formats[] = {
        {"t HH:mm:ss", "HH:mm:ss"},
        {"HH:mm:ss tttt 'Uhr'", "HH:mm:ss 'Uhr'"},
        {"HH' o''clock t' t", "HH' o''clock t'"}};
    for (const auto &[format, stripped] : formats)
        EXPECT_EQ(ui::withoutTimeZone(QString::fromUtf8(format)), QString::fromUtf8(stripped));
}

TEST_F(PrintAboutTest, ALongPdfPathIsNeverCutOff)
{
    openShown({QStringLiteral("ENGLISH")});
    const QString folder = pdfs.path() + QStringLiteral("/a-rather-long-folder-name").repeated(8);
    ASSERT_TRUE(QDir().mkpath(folder));
    dialogs.pdfFolder = folder;
    auto *line = find<QLabel>(QStringLiteral("LabelHlaseni"));
    print();
    EXPECT_EQ(line->toolTip(), QDir::toNativeSeparators(folder + QStringLiteral("/page1.pdf")));
    EXPECT_TRUE(fitsIn(line)) << line->text().toStdString();
    // The date line stays whole, and the file's name shows.
    EXPECT_TRUE(line->text().startsWith(QStringLiteral("Date and Time of printing:  ")));
    EXPECT_TRUE(line->text().endsWith(QStringLiteral("page1.pdf")));

    window->resize(window->width() - 200, window->height());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fitsIn(line); }, 2000)) << line->text().toStdString();

    // The next message takes the path's hint away with it.
    window->setMessage("Read device:", false, true);
    QHelpEvent hover(QEvent::ToolTip, QPoint(4, 4), line->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(line, &hover);
    EXPECT_TRUE(line->toolTip().isEmpty());
}

TEST_F(PrintAboutTest, ThePictureLeavesOutTheMenuBar)
{
    openShown({QStringLiteral("ENGLISH")});
    print();
    ASSERT_EQ(dialogs.printed.size(), 1);
    // The status bar is hidden in print mode: the page is all that lies under the menu bar.
    EXPECT_EQ(dialogs.printed.first().size(),
              QSize(window->width(), window->height() - window->menuBar()->height()));
}
