#include "window_fixture.h"

#include "model/grid_steps.h"
#include "ui/gauge.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
};
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
    EXPECT_TRUE(line.contains(pdfs.path())); // no printer here: the PDF's path is shown
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
    for (const auto &[argument, line] : cases) {
        open({QString::fromUtf8(argument)});
        find<QAction>(QStringLiteral("MenuAbout"))->trigger();
        const QStringList lines = dialogs.messages.last().split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 7);
        EXPECT_EQ(lines[6], QString::fromUtf8(line));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]{2} [ 123][0-9] 20[0-9]{2}$"))
                        .match(lines[2])
                        .hasMatch())
            << lines[2].toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]$"))
                        .match(lines[4])
                        .hasMatch());
        EXPECT_TRUE(dialogs.messages.last().contains(QStringLiteral("Contact:")));
    }
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
