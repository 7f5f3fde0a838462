#include "analysis_window.h"

#include "analysis/analysis_texts.h"
#include "form_parts.h"
#include "log/log_format.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace velmora::ui {

namespace {

// Triples read Czech, English, German.
constexpr Triple kTitle{"Rozbor map – %1", "Map analysis – %1", "Kennfeldanalyse – %1"};
constexpr Triple kLegend{
    "V buňce: nyní → návrh, změna v % a váha vzorků. Teplé barvy přidávají palivo, studené "
    "ubírají. Klik na buňku ji vyřadí nebo vrátí.",
    "In a cell: now → proposal, the change in % and the weight of the samples. Warm colours add "
    "fuel, cold ones take it away. A click on a cell excludes it or takes it back.",
    "In einer Zelle: jetzt → Vorschlag, die Änderung in % und das Gewicht der Messwerte. Warme "
    "Farben geben Kraftstoff zu, kalte nehmen ihn weg. Ein Klick auf eine Zelle schließt sie aus "
    "oder nimmt sie wieder auf."};
constexpr Triple kSettingNames[] = {
    {"Teplý od [°C]", "Warm from [°C]", "Warm ab [°C]"},
    {"Ustálený po řádcích", "Steady after rows", "Stetig nach Zeilen"},
    {"Nejmenší váha", "Minimum weight", "Mindestgewicht"},
    {"Nejvýše kroků", "At most steps", "Höchstens Schritte"}};
constexpr Triple kReanalyse{"&Znovu rozebrat", "&Analyse again", "&Erneut analysieren"};
constexpr Triple kSmooth{"&Vyhladit se sousedy", "&Smooth with neighbours",
                         "&Mit Nachbarn glätten"};
constexpr Triple kApply{"&Použít", "A&pply", "Ü&bernehmen"};
constexpr Triple kApplied{"Zapsáno %1 bajtů do sady okna.",
                          "%1 bytes written into the window's set.",
                          "%1 Bytes in den Satz des Fensters geschrieben."};
constexpr Triple kNothing{"Žádný návrh k použití.", "No proposal to apply.",
                          "Kein Vorschlag zu übernehmen."};
constexpr Triple kRebased{"Sada se od rozboru změnila: rozebráno znovu, zkontrolujte a použijte.",
                          "The set changed since the analysis: analysed again, check and apply.",
                          "Der Satz hat sich seit der Analyse geändert: erneut analysiert, prüfen "
                          "und übernehmen."};
constexpr Triple kCellTip{"nyní %1, návrh %2 (%3 %), váha %4",
                          "now %1, proposal %2 (%3 %), weight %4",
                          "jetzt %1, Vorschlag %2 (%3 %), Gewicht %4"};
constexpr Triple kExcludedTip{"vyřazeno", "excluded", "ausgeschlossen"};

// More fuel warm, less fuel cold, the stronger the larger the change (full at 15 %); the main
// grid keeps its own colours.
QColor changeColour(double percent)
{
    const double strength = std::clamp(std::abs(percent) / 15.0, 0.0, 1.0);
    return QColor::fromHsv(percent > 0 ? 25 : 205, int(40 + 170 * strength), 250);
}

QString signedPercent(double percent)
{
    return (percent > 0 ? QStringLiteral("+") : QString()) + QString::number(percent, 'f', 1);
}

} // namespace

AnalysisWindow::AnalysisWindow(log::RideLog rideLog, QString fileName, LogMapAxes axes,
                               std::function<const DeviceImage &()> currentSet,
                               std::uint8_t language, QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(std::move(rideLog)), m_fileName(std::move(fileName)),
      m_axes(std::move(axes)), m_currentSet(std::move(currentSet)), m_language(language)
{
    setObjectName(QStringLiteral("AnalysisWindow"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *layout = new QVBoxLayout(this);
    m_heading = form::label(this, QStringLiteral("AnalysisHeading"), QString());
    layout->addWidget(m_heading);
    m_legend = form::label(this, QStringLiteral("AnalysisLegend"), QString());
    m_legend->setWordWrap(true);
    layout->addWidget(m_legend);

    auto *middle = new QHBoxLayout;
    m_maps = form::make<QTabWidget>(this, QStringLiteral("AnalysisMaps"));
    for (int m = 0; m < analysis::kMaps; ++m) {
        auto *table = form::make<QTableWidget>(
            this, QStringLiteral("Analysis%1").arg(LogMapAxes::mapName(m)));
        table->setRowCount(analysis::kCells);
        table->setColumnCount(analysis::kCells);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        connect(table, &QTableWidget::cellClicked, this, [this, m](int row, int column) {
            setExcluded(m, row, column,
                        !m_excluded[std::size_t(m)][std::size_t(row)][std::size_t(column)]);
        });
        m_tables[std::size_t(m)] = table;
        m_maps->addTab(table, LogMapAxes::mapName(m));
    }
    middle->addWidget(m_maps, 1);
    middle->addWidget(buildControls());
    layout->addLayout(middle, 1);

    setLanguage(language);
    reanalyse();
    resize(1100, 640);
}

AnalysisWindow::~AnalysisWindow() = default;

QWidget *AnalysisWindow::buildControls()
{
    auto *side = new QWidget(this);
    side->setFixedWidth(300);
    auto *layout = new QVBoxLayout(side);
    m_filtersHeading = form::label(side, QStringLiteral("AnalysisFiltersHeading"), QString());
    QFont bold = m_filtersHeading->font();
    bold.setBold(true);
    m_filtersHeading->setFont(bold);
    layout->addWidget(m_filtersHeading);
    m_filters = form::label(side, QStringLiteral("AnalysisFilters"), QString());
    m_filters->setWordWrap(true);
    layout->addWidget(m_filters);

    auto *form = new QFormLayout;
    m_warm = form::make<QSpinBox>(side, QStringLiteral("AnalysisWarm"));
    m_warm->setRange(0, 150);
    m_warm->setValue(m_settings.warmCelsius);
    m_steady = form::make<QSpinBox>(side, QStringLiteral("AnalysisSteady"));
    m_steady->setRange(1, 100);
    m_steady->setValue(m_settings.steadyRows);
    m_minWeight = form::make<QDoubleSpinBox>(side, QStringLiteral("AnalysisMinWeight"));
    m_minWeight->setRange(0, 1000);
    m_minWeight->setDecimals(1);
    m_minWeight->setSingleStep(0.5);
    m_minWeight->setValue(m_settings.minWeight);
    m_cap = form::make<QSpinBox>(side, QStringLiteral("AnalysisCap"));
    m_cap->setRange(0, 250);
    m_cap->setValue(m_settings.capSteps);
    const std::array<QWidget *, 4> fields{m_warm, m_steady, m_minWeight, m_cap};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        m_settingLabels[i] = new QLabel(side);
        form->addRow(m_settingLabels[i], fields[i]);
    }
    layout->addLayout(form);
    // The cap and smoothing work on the analysis at hand; the filters need it done again.
    connect(m_cap, &QSpinBox::valueChanged, this, &AnalysisWindow::recompute);
    m_reanalyse = form::button(side, QStringLiteral("AnalysisReanalyse"), QString());
    connect(m_reanalyse, &QPushButton::clicked, this, &AnalysisWindow::reanalyse);
    layout->addWidget(m_reanalyse);
    m_smooth = form::make<QCheckBox>(side, QStringLiteral("AnalysisSmooth"));
    connect(m_smooth, &QCheckBox::toggled, this, &AnalysisWindow::recompute);
    layout->addWidget(m_smooth);
    layout->addStretch(1);
    m_note = form::label(side, QStringLiteral("AnalysisNote"), QString());
    m_note->setWordWrap(true);
    layout->addWidget(m_note);
    m_apply = form::button(side, QStringLiteral("AnalysisApply"), QString());
    connect(m_apply, &QPushButton::clicked, this, &AnalysisWindow::applyRequested);
    layout->addWidget(m_apply);
    return side;
}

void AnalysisWindow::setLanguage(std::uint8_t language)
{
    m_language = language;
    setWindowTitle(pick(kTitle, language).arg(QFileInfo(m_fileName).fileName()));
    m_legend->setText(pick(kLegend, language));
    m_filtersHeading->setText(pick(analysis::text::kFiltersHeading, language));
    for (std::size_t i = 0; i < m_settingLabels.size(); ++i)
        m_settingLabels[i]->setText(pick(kSettingNames[i], language));
    m_reanalyse->setText(pick(kReanalyse, language));
    m_smooth->setText(pick(kSmooth, language));
    m_apply->setText(pick(kApply, language));
    fillFilters();
    fillTables();
}

void AnalysisWindow::reanalyse()
{
    m_settings.warmCelsius = m_warm->value();
    m_settings.steadyRows = m_steady->value();
    m_settings.minWeight = m_minWeight->value();
    m_settings.capSteps = m_cap->value();
    // Analysed without a cap so that the cap box can loosen as well as tighten without a new
    // analysis; the box's cap is laid on in recompute().
    analysis::Settings uncapped = m_settings;
    uncapped.capSteps = 250;
    m_analysed = analysis::analyze(m_log, m_currentSet(), uncapped);
    m_applied = {};
    m_appliedBytes = -1;
    m_rebased = false;
    recompute();
}

bool AnalysisWindow::stillCurrent(const DeviceImage &image)
{
    for (std::size_t m = 0; m < m_shown.maps.size(); ++m)
        for (std::size_t r = 0; r < analysis::kCells; ++r)
            for (std::size_t c = 0; c < analysis::kCells; ++c)
                if (!m_excluded[m][r][c] && m_shown.maps[m][r][c].proposes() &&
                    image[log::mapCellByte(m, r, c)] != m_shown.maps[m][r][c].current) {
                    reanalyse();
                    m_rebased = true;
                    fillFilters();
                    return false;
                }
    return true;
}

void AnalysisWindow::recompute()
{
    m_settings.capSteps = m_cap->value();
    m_shown = m_analysed;
    for (std::size_t m = 0; m < m_shown.maps.size(); ++m) {
        analysis::MapCells &cells = m_shown.maps[m];
        if (m_smooth->isChecked())
            analysis::smoothWithNeighbours(cells);
        analysis::capChanges(cells, m_settings.capSteps);
        for (std::size_t r = 0; r < cells.size(); ++r)
            for (std::size_t c = 0; c < cells[r].size(); ++c)
                if (m_applied[m][r][c])
                    cells[r][c].current = cells[r][c].proposed = m_analysed.maps[m][r][c].current;
    }
    fillFilters();
    fillTables();
}

void AnalysisWindow::setExcluded(int map, int row, int column, bool excluded)
{
    m_excluded[std::size_t(map)][std::size_t(row)][std::size_t(column)] = excluded;
    fillCell(map, row, column);
    fillFilters();
}

int AnalysisWindow::applyTo(DeviceImage &image)
{
    const int changed = analysis::applyProposals(m_shown, m_excluded, image);
    // The applied cells now hold their proposal: settle them at the value the set holds.
    for (std::size_t m = 0; m < m_shown.maps.size(); ++m)
        for (std::size_t r = 0; r < analysis::kCells; ++r)
            for (std::size_t c = 0; c < analysis::kCells; ++c)
                if (!m_excluded[m][r][c] && m_shown.maps[m][r][c].proposes()) {
                    m_applied[m][r][c] = true;
                    m_analysed.maps[m][r][c].current = image[log::mapCellByte(m, r, c)];
                }
    m_appliedBytes = changed;
    m_rebased = false;
    recompute();
    return changed;
}

void AnalysisWindow::fillFilters()
{
    // The filters as the command line's report names them, with the thresholds they ran with.
    QStringList lines;
    for (int f = 0; f < analysis::kFilters; ++f)
        lines << QStringLiteral("%1: %2")
                     .arg(QString::fromStdString(analysis::filterText(analysis::Filter(f), m_shown,
                                                                      m_settings, m_language)))
                     .arg(m_shown.removed[std::size_t(f)]);
    m_filters->setText(lines.join(QLatin1Char('\n')));
    const QString rows =
        pick(analysis::text::kRows, m_language).arg(m_shown.rows).arg(m_shown.trusted);
    const QString target = pick(analysis::text::kTarget, m_language)
                               .arg(m_shown.targetMv)
                               .arg(m_shown.toleranceMv)
                               .arg(m_shown.targetLambda, 0, 'f', 3);
    m_heading->setText(rows + QStringLiteral(" · ") + target);

    bool proposes = false;
    for (std::size_t m = 0; m < m_shown.maps.size(); ++m)
        for (std::size_t r = 0; r < analysis::kCells; ++r)
            for (std::size_t c = 0; c < analysis::kCells; ++c)
                proposes = proposes || (!m_excluded[m][r][c] && m_shown.maps[m][r][c].proposes());
    m_apply->setEnabled(proposes);
    if (m_rebased)
        m_note->setText(pick(kRebased, m_language));
    else if (m_appliedBytes >= 0)
        m_note->setText(pick(kApplied, m_language).arg(m_appliedBytes));
    else
        m_note->setText(proposes ? QString() : pick(kNothing, m_language));
}

void AnalysisWindow::fillTables()
{
    for (std::size_t m = 0; m < m_tables.size(); ++m) {
        const auto [rows, columns] = m_axes.headers(m);
        m_tables[m]->setVerticalHeaderLabels(rows);
        m_tables[m]->setHorizontalHeaderLabels(columns);
        for (int r = 0; r < analysis::kCells; ++r)
            for (int c = 0; c < analysis::kCells; ++c)
                fillCell(int(m), r, c);
    }
}

void AnalysisWindow::fillCell(int map, int row, int column)
{
    const analysis::CellProposal &cell =
        m_shown.maps[std::size_t(map)][std::size_t(row)][std::size_t(column)];
    const bool excluded = m_excluded[std::size_t(map)][std::size_t(row)][std::size_t(column)];
    QTableWidget *table = m_tables[std::size_t(map)];
    QTableWidgetItem *item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, column, item);
    }
    const QString weight = QString::number(cell.weight, 'f', 1);
    QString tip = pick(kCellTip, m_language)
                      .arg(cell.current)
                      .arg(cell.proposed)
                      .arg(signedPercent(cell.changePercent()), weight);
    QFont font = table->font();
    if (cell.proposes()) {
        item->setText(QStringLiteral("%1 → %2\n%3 %\n%4")
                          .arg(cell.current)
                          .arg(cell.proposed)
                          .arg(signedPercent(cell.changePercent()), weight));
        item->setBackground(excluded ? QColor(0xd0, 0xd0, 0xd0)
                                     : changeColour(cell.changePercent()));
        item->setForeground(excluded ? QColor(0x70, 0x70, 0x70) : table->palette().text().color());
        font.setStrikeOut(excluded);
    } else {
        // Without a proposal a cell stays plain: its value, and its weight when visited.
        item->setText(cell.visited ? QStringLiteral("%1\n\n%2").arg(cell.current).arg(weight)
                                   : QString::number(cell.current));
        item->setBackground(excluded ? QColor(0xd0, 0xd0, 0xd0) : QColor(Qt::white));
        item->setForeground(table->palette().text().color());
        font.setStrikeOut(excluded);
    }
    if (excluded)
        tip = pick(kExcludedTip, m_language) + QStringLiteral(": ") + tip;
    item->setFont(font);
    item->setToolTip(tip);
}

} // namespace velmora::ui
