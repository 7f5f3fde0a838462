#include "compare_window.h"

#include "form_parts.h"
#include "model/triple.h"
#include "texts.h"

#include "files/parameter_file.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>
#include <string>

namespace velmora::ui {

namespace {

// Triples read Czech, English, German.
constexpr Triple kCaption{"Porovnání sad parametrů", "Comparing parameter sets",
                          "Vergleich der Parametersätze"};
constexpr Triple kHeading{"Toto okno proti: %1", "This window against: %1",
                          "Dieses Fenster gegen: %1"};
constexpr Triple kUnit{"jednotka", "the unit", "die Zündbox"};
constexpr Triple kCount{"Rozdílů: %1", "Differences: %1", "Unterschiede: %1"};
constexpr Triple kEqual{"Sady jsou shodné.", "The sets are equal.", "Die Sätze sind gleich."};
constexpr Triple kHeads[] = {
    {"Co", "What", "Was"},
    {"Řádek", "Row", "Zeile"},
    {"Sloupec", "Column", "Spalte"},
    {"Toto okno", "This window", "Dieses Fenster"},
    {"Druhá sada", "Other set", "Anderer Satz"},
};
constexpr Triple kTableLabel{"Mapa nebo křivka:", "Map or curve:", "Karte oder Kurve:"};
constexpr Triple kLoad{"&Nahrát druhou sadu do okna", "&Load the other set into the window",
                       "Anderen Satz ins Fenster &laden"};
constexpr Triple kClose{"&Zavřít", "&Close", "&Schließen"};

// How many numbers each keyword has in the file, from the file's own list.
const std::map<std::string_view, std::size_t> &keywordSizes()
{
    static const std::map<std::string_view, std::size_t> sizes = [] {
        std::map<std::string_view, std::size_t> counted;
        for (const files::FileValue &v : files::parameterValues(DeviceImage()))
            ++counted[v.keyword];
        return counted;
    }();
    return sizes;
}

std::size_t sizeOf(std::string_view keyword)
{
    const auto it = keywordSizes().find(keyword);
    return it == keywordSizes().end() ? 0 : it->second;
}

bool isMap(std::string_view keyword)
{
    return sizeOf(keyword) == layout::kMapCells;
}

QString change(const files::Difference &d)
{
    return QStringLiteral("%1 → %2").arg(d.a).arg(d.b);
}

QTableWidgetItem *item(const QString &text)
{
    auto *i = new QTableWidgetItem(text);
    i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return i;
}

} // namespace

CompareWindow::CompareWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CompareWindow"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    m_heading = form::label(this, QStringLiteral("CompareHeading"), QString());
    m_heading->setWordWrap(true);
    layout->addWidget(m_heading);

    // The headings are written with the language.
    m_list = form::listTable(this, QStringLiteral("CompareList"),
                             QStringList(static_cast<qsizetype>(std::size(kHeads)), QString()));
    layout->addWidget(m_list, 2);

    auto *tableRow = new QHBoxLayout;
    m_tableLabel = form::label(this, QStringLiteral("CompareTableLabel"), QString());
    m_tables = form::make<QComboBox>(this, QStringLiteral("CompareTable"));
    tableRow->addWidget(m_tableLabel);
    tableRow->addWidget(m_tables, 1);
    layout->addLayout(tableRow);
    m_grid = form::make<QTableWidget>(this, QStringLiteral("CompareGrid"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_grid, 3);

    auto *buttons = new QHBoxLayout;
    m_load = form::button(this, QStringLiteral("CompareLoad"), QString());
    m_close = form::button(this, QStringLiteral("CompareClose"), QString());
    buttons->addWidget(m_load);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);

    connect(m_tables, &QComboBox::currentIndexChanged, this, &CompareWindow::showTable);
    connect(m_load, &QPushButton::clicked, this, &CompareWindow::loadRequested);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    resize(640, 620);
}

void CompareWindow::showComparison(Comparison comparison, std::uint8_t language)
{
    m_comparison = std::move(comparison);
    fillTables();
    setLanguage(language);
}

void CompareWindow::setLanguage(std::uint8_t language)
{
    m_language = language;
    setWindowTitle(pick(kCaption, language));
    const QString other =
        m_comparison.otherName.isEmpty() ? pick(kUnit, language) : m_comparison.otherName;
    const QString count = m_comparison.differences.empty()
                              ? pick(kEqual, language)
                              : pick(kCount, language).arg(m_comparison.differences.size());
    m_heading->setText(pick(kHeading, language).arg(other) + QLatin1Char('\n') + count);
    m_list->setHorizontalHeaderLabels(pick(kHeads, language));
    m_tableLabel->setText(pick(kTableLabel, language));
    m_load->setText(pick(kLoad, language));
    m_load->setVisible(m_comparison.loadable);
    m_close->setText(pick(kClose, language));
    fillList();
}

void CompareWindow::fillList()
{
    m_list->setRowCount(static_cast<int>(m_comparison.differences.size()));
    int row = 0;
    for (const files::Difference &d : m_comparison.differences) {
        QString what;
        QString mapRow, mapColumn;
        if (d.isByte()) {
            what = QStringLiteral("BYTE[%1]").arg(d.index);
        } else if (isMap(d.keyword)) {
            what = QString::fromLatin1(d.keyword.data(), static_cast<qsizetype>(d.keyword.size()));
            mapRow = QString::number(d.index / layout::kMapSide);
            mapColumn = QString::number(d.index % layout::kMapSide);
        } else {
            what = QString::fromLatin1(d.keyword.data(), static_cast<qsizetype>(d.keyword.size()));
            if (sizeOf(d.keyword) > 1)
                what += QStringLiteral("[%1]").arg(d.index);
        }
        const QString cells[] = {what, mapRow, mapColumn, QString::number(d.a),
                                 QString::number(d.b)};
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
            m_list->setItem(row, c, item(cells[c]));
        ++row;
    }
    m_list->resizeColumnsToContents();
}

void CompareWindow::fillTables()
{
    const QSignalBlocker quiet(m_tables);
    m_tables->clear();
    for (const files::Difference &d : m_comparison.differences) {
        if (d.isByte() || sizeOf(d.keyword) < 2)
            continue;
        const QString name =
            QString::fromLatin1(d.keyword.data(), static_cast<qsizetype>(d.keyword.size()));
        if (m_tables->findText(name) < 0)
            m_tables->addItem(name);
    }
    const bool any = m_tables->count() > 0;
    m_tables->setEnabled(any);
    m_grid->setEnabled(any);
    showTable(any ? 0 : -1);
}

// A map as the window shows it, ten rows of ten; a curve in one row.
void CompareWindow::showTable(int choice)
{
    m_grid->clear();
    if (choice < 0) {
        m_grid->setRowCount(0);
        m_grid->setColumnCount(0);
        return;
    }
    const std::string keyword = m_tables->itemText(choice).toStdString();
    const std::size_t size = sizeOf(keyword);
    const bool map = size == layout::kMapCells;
    const auto columns = static_cast<int>(map ? layout::kMapSide : size);
    m_grid->setRowCount(map ? static_cast<int>(layout::kMapSide) : 1);
    m_grid->setColumnCount(columns);
    // Rows and columns counted from 0, as the list and the command line count them.
    QStringList numbers;
    for (int k = 0; k < columns; ++k)
        numbers << QString::number(k);
    m_grid->setHorizontalHeaderLabels(numbers);
    m_grid->setVerticalHeaderLabels(numbers.mid(0, m_grid->rowCount()));
    for (const files::Difference &d : m_comparison.differences) {
        if (d.keyword != keyword)
            continue;
        const auto at = static_cast<int>(d.index);
        m_grid->setItem(at / columns, at % columns, item(change(d)));
    }
    m_grid->resizeColumnsToContents();
}

} // namespace velmora::ui
