#include "history_dialog.h"

#include "form_parts.h"
#include "model/triple.h"
#include "texts.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace velmora::ui {

namespace {

// Triples read Czech, English, German.
constexpr Triple kCaption{"Historie jednotky", "Unit history", "Geräteverlauf"};
constexpr Triple kFilterLabel{"&Jednotka:", "&Unit:", "&Gerät:"};
constexpr Triple kEveryUnit{"Všechny jednotky", "All units", "Alle Geräte"};
constexpr Triple kHeads[] = {
    {"Čas", "Time", "Zeit"},
    {"Druh", "Kind", "Art"},
    {"Jednotka", "Unit", "Gerät"},
    {"Soubor", "File", "Datei"},
};
struct KindText {
    files::HistoryKind kind;
    Triple text;
};
constexpr KindText kKinds[] = {
    {files::HistoryKind::Read, {"Čtení", "Read", "Lesen"}},
    {files::HistoryKind::Program, {"Programování", "Program", "Programmieren"}},
    {files::HistoryKind::Backup, {"Záloha", "Backup", "Sicherung"}},
};
constexpr Triple kLoad{"&Načíst", "&Load", "&Laden"};
constexpr Triple kLoadHint{"Načíst|Načíst parametry vybraného záznamu do okna",
                           "Load|Load the parameters of the selected entry into the window",
                           "Laden|Die Parameter des gewählten Eintrags in das Fenster laden"};
constexpr Triple kCompare{"&Porovnat", "&Compare", "&Vergleichen"};
constexpr Triple kCompareHint{
    "Porovnat|Porovnat parametry okna s vybraným záznamem",
    "Compare|Compare the window's parameters with the selected entry",
    "Vergleichen|Die Parameter des Fensters mit dem gewählten Eintrag vergleichen"};
constexpr Triple kClose{"Zavřít", "Close", "Schließen"};

const char *kindText(files::HistoryKind kind, std::uint8_t language)
{
    for (const KindText &k : kKinds)
        if (k.kind == kind)
            return k.text.pick(language);
    return "";
}

} // namespace

HistoryDialog::HistoryDialog(HistoryRequest request, QWidget *parent)
    : QDialog(parent), m_request(std::move(request))
{
    const std::uint8_t language = m_request.language;
    const auto text = [language](const Triple &t) { return pick(t, language); };
    setObjectName(QStringLiteral("HistoryDialog"));
    setWindowTitle(text(kCaption));

    m_filter = form::make<QComboBox>(this, QStringLiteral("ComboBoxIdentity"));
    m_filter->addItem(text(kEveryUnit));
    for (const files::HistoryEntry &entry : m_request.entries) {
        if (std::find(m_identities.begin(), m_identities.end(), entry.identity) !=
            m_identities.end())
            continue;
        m_identities.push_back(entry.identity);
        m_filter->addItem(QString::fromLatin1(entry.identity.c_str()));
    }
    auto *filterLabel = form::label(this, QStringLiteral("LabelIdentity"), text(kFilterLabel));
    filterLabel->setBuddy(m_filter);

    m_table = form::listTable(this, QStringLiteral("TableHistory"), pick(kHeads, language));

    m_load = form::button(this, QStringLiteral("ButtonLoad"), text(kLoad));
    form::setHint(m_load, text(kLoadHint));
    m_compare = form::button(this, QStringLiteral("ButtonCompare"), text(kCompare));
    form::setHint(m_compare, text(kCompareHint));
    auto *box = form::make<QDialogButtonBox>(this, QStringLiteral("ButtonBox"));
    box->setStandardButtons(QDialogButtonBox::Close);
    box->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("ButtonClose"));
    box->button(QDialogButtonBox::Close)->setText(text(kClose));

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_load);
    buttons->addWidget(m_compare);
    buttons->addStretch();
    buttons->addWidget(box);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(m_filter, &QComboBox::currentIndexChanged, this, &HistoryDialog::applyFilter);
    connect(m_load, &QPushButton::clicked, this, &HistoryDialog::loadSelected);
    connect(m_compare, &QPushButton::clicked, this, &HistoryDialog::compareSelected);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &HistoryDialog::loadSelected);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &HistoryDialog::updateButtons);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const auto unit = std::find(m_identities.begin(), m_identities.end(), m_request.identity);
    setFilter(unit == m_identities.end() ? 0 : static_cast<int>(unit - m_identities.begin()) + 1);
    resize(760, 480);
}

void HistoryDialog::setFilter(int index)
{
    if (index == m_filter->currentIndex())
        applyFilter(index);
    else
        m_filter->setCurrentIndex(index); // applied through the signal
}

void HistoryDialog::applyFilter(int index)
{
    if (index < 0 || index > static_cast<int>(m_identities.size()))
        return;
    m_shown.clear();
    for (const files::HistoryEntry &entry : m_request.entries)
        if (index == 0 || entry.identity == m_identities[static_cast<std::size_t>(index - 1)])
            m_shown.push_back(&entry);
    fill();
}

void HistoryDialog::fill()
{
    const std::uint8_t language = m_request.language;
    m_table->clearContents();
    m_table->setRowCount(static_cast<int>(m_shown.size()));
    int row = 0;
    for (const files::HistoryEntry *entry : m_shown) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(entry->time.time_since_epoch());
        const QString cells[] = {QDateTime::fromSecsSinceEpoch(seconds.count())
                                     .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                 QString::fromUtf8(kindText(entry->kind, language)),
                                 QString::fromLatin1(entry->identity.c_str()),
                                 QString::fromStdString(entry->parameterFile.filename().string())};
        for (int column = 0; column < static_cast<int>(std::size(cells)); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setToolTip(QString::fromStdString(entry->parameterFile.string()));
            m_table->setItem(row, column, item);
        }
        ++row;
    }
    m_table->resizeColumnsToContents();
    if (!m_shown.empty())
        m_table->selectRow(0);
    updateButtons();
}

void HistoryDialog::updateButtons()
{
    m_load->setEnabled(!m_table->selectedItems().isEmpty());
    m_compare->setEnabled(m_load->isEnabled());
}

void HistoryDialog::loadSelected()
{
    takeSelected(HistoryAction::Load);
}

void HistoryDialog::compareSelected()
{
    takeSelected(HistoryAction::Compare);
}

void HistoryDialog::takeSelected(HistoryAction action)
{
    const QList<QTableWidgetItem *> items = m_table->selectedItems();
    if (items.isEmpty())
        return;
    const auto row = static_cast<std::size_t>(items.first()->row());
    if (row >= m_shown.size())
        return;
    m_choice = HistoryChoice{*m_shown[row], action};
    accept();
}

} // namespace velmora::ui
