// Printing, About and Help.
#include "tformhlav.h"

#include "analysis_window.h"

#include "log_viewer.h"

#include "compare_window.h"
#include "dialogs.h"
#include "elided_path.h"
#include "gauge.h"
#include "graphs_window.h"
#include "languages.h"
#include "printing.h"
#include "texts.h"

#include "model/identity.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTime>

namespace velmora::ui {

namespace {

// Recorded when this file is compiled: "Oct  4 2005" and "10:07:40".
constexpr const char *kBuildDate = __DATE__;
constexpr const char *kBuildTime = __TIME__;

constexpr Triple kAboutFormat{
    "Program pro nastavování zapalování           \n\n%1\n\n%2\n\nVerze - %3",
    "Programm for setting of ignition            \n\n%1\n\n%2\n\nVersion - %3",
    "Program für der Adjustierung der Zündung        \n\n%1\n\n%2\n\nVersion - %3"};

// The maker and contact lines; "Contact:" reads the same in every language.
constexpr Triple kMakerLines{
    "\n\nKonfigurátor Velmora 05, projekt s otevřeným zdrojovým kódem\n\n"
    "Contact:\n\n"
    "Domovská stránka projektu\nrepozitář, ze kterého je tento program sestaven\n\n"
    "Dotazy a hlášení chyb\nevidence problémů téhož repozitáře",
    "\n\nVelmora 05 configurator, an open-source project\n\n"
    "Contact:\n\n"
    "Project home\nthe repository this program is built from\n\n"
    "Questions and reports\nthe issue tracker of that repository",
    "\n\nVelmora 05 Konfigurator, ein Open-Source-Projekt\n\n"
    "Contact:\n\n"
    "Projektseite\ndas Repository, aus dem dieses Programm gebaut ist\n\n"
    "Fragen und Fehlermeldungen\nder Issue-Tracker dieses Repositorys"};

constexpr Triple kPrintPrefix{
    "Datum a čas tisku:  ", "Date and Time of printing:  ", "Date and Time of printing:  "};

constexpr Triple kManualSuffix{"_cz", "_en", "_de"};
// The subfolder of the HTML manual in each language.
constexpr Triple kManualLanguage{"cs", "en", "de"};

} // namespace

QString TFormHlav::aboutText(std::uint8_t language)
{
    return pick(kAboutFormat, language)
               .arg(QLatin1String(kBuildDate), QLatin1String(kBuildTime))
               .arg(kOwnProgramVersion) +
           pick(kMakerLines, language);
}

void TFormHlav::setLanguage(std::uint8_t language)
{
    m_held.language = language;
    applyLanguage(this, language);
    tpModeDisplay();
    updateEditItems();
    updateLogItems();
    if (m_compare)
        m_compare->setLanguage(language);
    if (m_graphs)
        m_graphs->setLanguage(language);
    for (LogViewer *viewer : std::as_const(m_logViewers))
        if (viewer)
            viewer->setLanguage(language);
    for (AnalysisWindow *review : std::as_const(m_analysisWindows))
        if (review)
            review->setLanguage(language);
}

void TFormHlav::updateEditItems()
{
    const std::uint8_t language = m_held.language;
    const auto caption = [language](const Triple &named, const StepName &step) {
        return pick(named, language).arg(QString::fromStdString(pickName(step, language)));
    };
    m_undoItem->setEnabled(m_history.canUndo());
    m_undoItem->setText(m_history.canUndo() ? caption(text::kUndoStep, m_history.undoName())
                                            : pick(text::kUndo, language));
    m_redoItem->setEnabled(m_history.canRedo());
    m_redoItem->setText(m_history.canRedo() ? caption(text::kRedoStep, m_history.redoName())
                                            : pick(text::kRedo, language));
}

void TFormHlav::MenuEnglishClick()
{
    setLanguage(1);
}
void TFormHlav::MenuCzechClick()
{
    setLanguage(0);
}
void TFormHlav::MenuGermanClick()
{
    setLanguage(2);
}

void TFormHlav::MenuAboutClick()
{
    m_dialogs.inform(this, aboutText(m_held.language));
}

QStringList TFormHlav::defaultManualFolders()
{
    QStringList folders{QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../share/doc/velmora/manual")};
#ifdef VELMORA_BUILD_TREE_MANUAL
    // A program run from its build tree finds the manual built beside it.
    folders << QStringLiteral(VELMORA_BUILD_TREE_MANUAL);
#endif
    return folders;
}

QString TFormHlav::manualPath(std::uint8_t language) const
{
    // A word-processor manual lies in the program's documentation folder, named by its language
    // suffix; where one is installed it is still the one users expect.
    const QString program = QCoreApplication::applicationDirPath();
    const QStringList docFolders = m_options.wordManualFolders.value_or(QStringList{
        program + QStringLiteral("/doc"), program + QStringLiteral("/../share/doc/velmora")});
    const QString pattern =
        QStringLiteral("*%1.doc").arg(QLatin1String(kManualSuffix.pick(language)));
    for (const QString &folder : docFolders) {
        const QStringList found = QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
        if (!found.isEmpty())
            return QDir(folder).absoluteFilePath(found.first());
    }
    const QString page =
        QStringLiteral("%1/index.html").arg(QLatin1String(kManualLanguage.pick(language)));
    for (const QString &folder : m_options.manualFolders.value_or(defaultManualFolders())) {
        const QFileInfo manual(QDir(folder), page);
        if (manual.isFile())
            return QDir::cleanPath(manual.absoluteFilePath());
    }
    return {};
}

void TFormHlav::MenuContensClick()
{
    const QString manual = manualPath(m_held.language);
    if (!manual.isEmpty())
        m_dialogs.openDocument(manual); // a missing manual shows nothing
}

std::vector<QWidget *> TFormHlav::printHiddenControls() const
{
    QStringList names{QStringLiteral("StatusBar1"),      QStringLiteral("ImageLogo"),
                      QStringLiteral("GroupBoxToolBar"), QStringLiteral("LabelSpojeni"),
                      QStringLiteral("LabelBarGraf1"),   QStringLiteral("LabelBarGraf2"),
                      QStringLiteral("LabelBarGraf3"),   QStringLiteral("CGaugeRpm"),
                      QStringLiteral("CGaugeTps"),       QStringLiteral("CGaugeLambda"),
                      QStringLiteral("CGaugeVoda"),      QStringLiteral("CGaugeDuty"),
                      QStringLiteral("BitBtnIgnMinus"),  QStringLiteral("BitBtnIgnPlus"),
                      QStringLiteral("CheckBoxIgnAll"),  QStringLiteral("UpDownOmez2"),
                      QStringLiteral("UpDown46"),        QStringLiteral("UpDownIapToTps")};
    for (int i = 1; i <= 10; ++i) {
        names << QStringLiteral("UpDown%1").arg(i) << QStringLiteral("UpDown%1").arg(i + 10)
              << QStringLiteral("UpDownRpmTps%1").arg(i) << QStringLiteral("UpDownRpmTps%1i").arg(i)
              << QStringLiteral("UpDownRpmIap%1").arg(i) << QStringLiteral("UpDownRpmPriv%1").arg(i)
              << QStringLiteral("UpDownNapPriv%1").arg(i);
    }
    for (int e = 0; e < 100; ++e)
        names << QStringLiteral("UpDown%1").arg(50 + e) << QStringLiteral("UpDown%1i").arg(50 + e)
              << QStringLiteral("UpDown%1").arg(160 + e);
    const std::tuple<int, const char *, const char *> spinGroups[] = {
        {1, "", "BitBtnJetTps%1%2"}, {1, "i", "BitBtnJetTps%1%2"}, {11, "", "BitBtnJetIap%1%2"}};
    for (const auto &[first, suffix, buttons] : spinGroups) {
        for (int c = 0; c < 10; ++c)
            names << QStringLiteral("CSpinButton%1%2").arg(first + c).arg(QLatin1String(suffix));
        names << QString::fromUtf8(buttons).arg(QStringLiteral("Minus"), QLatin1String(suffix))
              << QString::fromUtf8(buttons).arg(QStringLiteral("Plus"), QLatin1String(suffix));
        names << (first == 11 ? QStringLiteral("CheckBoxJetIapAll")
                              : QStringLiteral("CheckBoxJetTpsAll") + QLatin1String(suffix));
    }
    names << QStringLiteral("UpDownPrivHyster") << QStringLiteral("BitBtnServoMinus")
          << QStringLiteral("BitBtnServoPlus") << QStringLiteral("CheckBoxPrivAll");
    for (const char *t : {"_10", "20", "50", "80", "110"})
        names << QStringLiteral("UpDownVoda") + QLatin1String(t);
    for (const char *t : {"_10", "20", "50", "80", "110"})
        names << QStringLiteral("UpDownVzduch") + QLatin1String(t);
    for (int k = 1; k <= 4; ++k)
        names << QStringLiteral("UpDownSyticCas%1").arg(k);
    for (int k = 0; k <= 3; ++k)
        names << QStringLiteral("UpDownSyticKorekce%1").arg(k);
    names << QStringLiteral("BitBtnTps0") << QStringLiteral("BitBtnTps100")
          << QStringLiteral("UpDownTps0") << QStringLiteral("UpDownTps100")
          << QStringLiteral("UpDownStartJet") << QStringLiteral("UpDownAkcelPrah")
          << QStringLiteral("UpDownAkcelJet") << QStringLiteral("UpDownChlazeni")
          << QStringLiteral("UpDownKlapkaSani") << QStringLiteral("CheckBoxExtMonitor");
    for (const char *t : {"Lambda", "Hyster", "Rpm", "Tps", "Cas"})
        names << QStringLiteral("UpDownLadeni") + QLatin1String(t);

    std::vector<QWidget *> controls;
    controls.reserve(static_cast<std::size_t>(names.size()));
    for (const QString &name : names)
        if (QWidget *w = findChild<QWidget *>(name))
            controls.push_back(w);
    return controls;
}

void TFormHlav::setPrintMode(bool printing)
{
    for (QWidget *w : m_printHidden)
        w->setVisible(!printing);
    // The live marking repaints only what changed since its last tick, so the row captions get
    // their live colour back here rather than waiting for their mark to move.
    for (std::size_t i = 0; i < kRowLabelCount; ++i) {
        if (printing)
            setBackground(m_grid->editTable()[i], Qt::white);
        else
            paintMark(i);
    }
    QTabBar *tabs = m_pages->tabBar();
    for (int i = 0; i < m_pages->count(); ++i)
        tabs->setTabVisible(i, !printing || i == m_pages->currentIndex());
}

QString TFormHlav::printLine(std::uint8_t language, const QDate &date, const QTime &time,
                             const QLocale &locale)
{
    return pick(kPrintPrefix, language) + locale.toString(date, QLocale::ShortFormat) +
           QStringLiteral("    ") + timeWithSeconds(locale, time);
}

void TFormHlav::SpeedButtonPrintClick()
{
    const QString line =
        printLine(m_held.language, QDate::currentDate(), QTime::currentTime(), QLocale());
    setMessage(line.toStdString(), false, true);
    m_link->holdMessageLine();

    auto *central = centralWidget();
    central->setAutoFillBackground(true);
    QPalette white = central->palette();
    white.setColor(QPalette::Window, Qt::white);
    central->setPalette(white);
    m_gaugeProgram->hide();
    setPrintMode(true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // The menu bar is for operating the window too: the picture is what lies under it.
    const QImage picture = central->grab().toImage();
    const QString pdf = m_dialogs.printPicture(this, picture);

    central->setPalette(QPalette());
    central->setAutoFillBackground(false);
    setPrintMode(false);
    tpModeDisplay();
    if (!pdf.isEmpty()) // no printer: say where the page went
        showElidedPath(m_hlaseni, line + QStringLiteral("    "), QDir::toNativeSeparators(pdf));
}

} // namespace velmora::ui
