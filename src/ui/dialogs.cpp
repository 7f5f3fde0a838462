#include "dialogs.h"

#include "printing.h"
#include "texts.h"

#include "model/triple.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <utility>
#include <vector>

namespace velmora::ui {

QString boxTitle()
{
    return QStringLiteral("Velmora 05");
}

Dialogs::Answer MessageBoxDialogs::askYesNoCancel(QWidget *parent, const QString &text)
{
    const auto button = QMessageBox::question(
        parent, boxTitle(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void MessageBoxDialogs::inform(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, boxTitle(), text);
}

} // namespace velmora::ui

namespace velmora::ui {

void MessageBoxDialogs::notify(QWidget *parent, const QString &text)
{
    auto *box =
        new QMessageBox(QMessageBox::Information, boxTitle(), text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

} // namespace velmora::ui

namespace velmora::ui {

namespace {
// The pattern goes inside the parentheses; "*" rather than "*.*", which would hide files whose
// names have no dot.
const QString kIgnFilter = QStringLiteral("Ignition Parametrs(*.ign)");
const QString kAllFilter = QStringLiteral("All Files (*)");

void setUpFileDialog(QFileDialog &dialog, const QString &start)
{
    dialog.setDefaultSuffix(QStringLiteral("ign"));
    if (!start.trimmed().isEmpty())
        dialog.selectFile(start);
}

QString runFileDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
} // namespace

void setUpOpenDialog(QFileDialog &dialog, const QString &start)
{
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({kIgnFilter, kAllFilter});
    setUpFileDialog(dialog, start);
}

void setUpSaveDialog(QFileDialog &dialog, const QString &start)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({kIgnFilter});
    dialog.selectNameFilter(kIgnFilter);
    setUpFileDialog(dialog, start);
}

QString MessageBoxDialogs::openFileName(QWidget *parent, const QString &start)
{
    QFileDialog dialog(parent);
    setUpOpenDialog(dialog, start);
    return runFileDialog(dialog);
}

QString MessageBoxDialogs::saveFileName(QWidget *parent, const QString &start)
{
    QFileDialog dialog(parent);
    setUpSaveDialog(dialog, start);
    return runFileDialog(dialog);
}

QString MessageBoxDialogs::logFileName(QWidget *parent, const QString &start, std::uint8_t language)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString logs = pick(text::kLogFilter, language);
    dialog.setNameFilters({logs, kAllFilter});
    dialog.selectNameFilter(logs);
    setUpFileDialog(dialog, start);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    return runFileDialog(dialog);
}

} // namespace velmora::ui

namespace velmora::ui {

QString MessageBoxDialogs::printPicture(QWidget *, const QImage &picture)
{
    if (velmora::ui::printPicture(picture, QString()))
        return {};
    const QString pdf = fallbackPdfPath();
    return velmora::ui::printPicture(picture, pdf) ? pdf : QString();
}

void MessageBoxDialogs::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace velmora::ui

namespace velmora::ui {

std::optional<PortAssignments> MessageBoxDialogs::setUpPorts(QWidget *parent,
                                                             const PortSetup &setup)
{
    PortSetupDialog dialog(setup, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.assignments();
}

std::optional<HistoryChoice> MessageBoxDialogs::chooseFromHistory(QWidget *parent,
                                                                  const HistoryRequest &request)
{
    HistoryDialog dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

} // namespace velmora::ui

namespace velmora::ui {

namespace {
// Triples read Czech, English, German.
constexpr Triple kCompareQuestion{"S čím porovnat sadu parametrů okna?",
                                  "What shall the window's parameter set be compared with?",
                                  "Womit soll der Parametersatz des Fensters verglichen werden?"};
constexpr Triple kCompareFile{"&Soubor...", "A &file...", "&Datei..."};
constexpr Triple kCompareUnit{"&Jednotka", "The &unit", "&Zündbox"};
constexpr Triple kCompareNewest{"&Poslední záznam historie jednotky",
                                "The unit's &newest history entry",
                                "&Neuester Verlaufseintrag der Zündbox"};
constexpr Triple kCompareCancel{"Storno", "Cancel", "Abbrechen"};
} // namespace

std::optional<CompareWith> MessageBoxDialogs::chooseComparison(QWidget *parent,
                                                               std::uint8_t language)
{
    QMessageBox box(QMessageBox::Question, boxTitle(),
                    QString::fromUtf8(kCompareQuestion.pick(language)), QMessageBox::NoButton,
                    parent);
    const std::pair<const Triple &, CompareWith> choices[] = {
        {kCompareFile, CompareWith::File},
        {kCompareUnit, CompareWith::Unit},
        {kCompareNewest, CompareWith::NewestEntry}};
    std::vector<std::pair<QAbstractButton *, CompareWith>> buttons;
    for (const auto &[caption, choice] : choices)
        buttons.emplace_back(
            box.addButton(QString::fromUtf8(caption.pick(language)), QMessageBox::AcceptRole),
            choice);
    box.addButton(QString::fromUtf8(kCompareCancel.pick(language)), QMessageBox::RejectRole);
    box.exec();
    for (const auto &[button, choice] : buttons)
        if (box.clickedButton() == button)
            return choice;
    return std::nullopt;
}

} // namespace velmora::ui

namespace velmora::ui {

namespace {
// Triples read Czech, English, German.
constexpr Triple kLogCaption{"Otevřít záznam jízdy", "Open ride log", "Fahrtaufzeichnung öffnen"};
constexpr Triple kLogFilter{"Záznamy jízdy (*.csv)", "Ride logs (*.csv)",
                            "Fahrtaufzeichnungen (*.csv)"};
constexpr Triple kAllFiles{"Všechny soubory (*)", "All files (*)", "Alle Dateien (*)"};
} // namespace

QString MessageBoxDialogs::openLogName(QWidget *parent, const QString &folder,
                                       std::uint8_t language)
{
    QFileDialog dialog(parent, QString::fromUtf8(kLogCaption.pick(language)), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QString::fromUtf8(kLogFilter.pick(language)),
                           QString::fromUtf8(kAllFiles.pick(language))});
    return runFileDialog(dialog);
}

} // namespace velmora::ui
