#include "graphs_window.h"

#include "form_parts.h"
#include "map_heat.h"
#include "texts.h"

#include "link/live_points.h"
#include "model/image_layout.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace velmora::ui {

namespace {

using namespace layout;

// Triples read Czech, English, German.
constexpr Triple kCaption{"Grafy", "Graphs", "Diagramme"};
constexpr Triple kSpeed{"Otáčky [rpm]", "Speed [rpm]", "Drehzahl [rpm]"};
constexpr Triple kLive{"Živý bod", "Live point", "Aktueller Punkt"};
constexpr Triple kThrottle{"Škrticí klapka [%]", "Throttle [%]", "Drosselklappe [%]"};
constexpr Triple kPressure{"Tlak v sání [%]", "Intake pressure [%]", "Saugrohrdruck [%]"};
constexpr Triple kInjection{"Vstřik [%]", "Injection [%]", "Einspritzung [%]"};

enum class Rows : std::uint8_t { None, Throttle, Pressure };

// One page: a curve over its speed axis, or a map over the map's speed axis.
struct PageDef {
    const char *name; // of the page; its chart, lines and colour map are named after it
    Triple caption;
    std::size_t axis;   // ten speed points in 100 rpm
    std::size_t values; // ten curve points, or the hundred cells of a map
    int unit;           // of a stored curve point
    Triple valueTitle;
    Rows rows;
};

constexpr std::array<PageDef, GraphsWindow::kPageCount> kPages{{
    {"GraphsIgnition",
     {"Předstih zapalování", "Ignition advance", "Zündverstellung"},
     kRpmAdv,
     kAdvance,
     1,
     {"Předstih [°]", "Advance [°]", "Vorzündung [°]"},
     Rows::None},
    {"GraphsServo",
     {"Servo", "Servo", "Servo"},
     kRpmPriv,
     kNapPriv,
     20,
     {"Napětí serva [mV]", "Servo voltage [mV]", "Servospannung [mV]"},
     Rows::None},
    {"GraphsTp14",
     {"Mapa TP14", "TP14 map", "Kennfeld TP14"},
     kRpmJetTp,
     kJetTp,
     1,
     kInjection,
     Rows::Throttle},
    {"GraphsTp23",
     {"Mapa TP23", "TP23 map", "Kennfeld TP23"},
     kRpmJetTpi,
     kJetTpi,
     1,
     kInjection,
     Rows::Throttle},
    {"GraphsIap",
     {"Mapa IAP", "IAP map", "Kennfeld IAP"},
     kRpmJetIap,
     kJetIap,
     1,
     kInjection,
     Rows::Pressure},
}};

bool isMap(const PageDef &def)
{
    return def.rows != Rows::None;
}

// The load of each row in percent.
int rowLoad(Rows rows, int row)
{
    return rows == Rows::Throttle ? link::kTpRowOpenings[static_cast<std::size_t>(row)]
                                  : 10 * (row + 1);
}

QString partName(const PageDef &def, const char *part)
{
    return QString::fromLatin1(def.name) + QLatin1String(part);
}

int speedAt(const DeviceImage &image, const PageDef &def, int point)
{
    return image[def.axis + static_cast<std::size_t>(point)] * 100;
}

// The upper end of an axis that shows `largest` with some room above it.
double axisTop(int largest, int least)
{
    return std::max(least, largest + std::max(1, largest / 10));
}

} // namespace

GraphsWindow::GraphsWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("GraphsWindow"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_pages = form::make<QTabWidget>(this, QStringLiteral("GraphsPages"));
    layout->addWidget(m_pages);

    for (std::size_t k = 0; k < kPages.size(); ++k) {
        const PageDef &def = kPages[k];
        Plot &plot = m_plots[k];
        auto *chart = new QChart;
        plot.x = new QValueAxis(chart);
        plot.y = new QValueAxis(chart);
        plot.x->setLabelFormat(QStringLiteral("%d"));
        plot.y->setLabelFormat(QStringLiteral("%d"));
        chart->addAxis(plot.x, Qt::AlignBottom);
        chart->addAxis(plot.y, Qt::AlignLeft);
        const int lines = isMap(def) ? MapHeat::kSide : 1;
        for (int r = 0; r < lines; ++r) {
            auto *series = new QLineSeries(chart);
            series->setObjectName(partName(def, "Line") + QString::number(r));
            series->setPointsVisible(true);
            if (isMap(def)) {
                // Coloured along the load as the colour map is along the value.
                series->setColor(MapHeat::scaleColour(r / double(lines - 1)));
                series->setName(QStringLiteral("%1 %").arg(rowLoad(def.rows, r)));
            }
            chart->addSeries(series);
            series->attachAxis(plot.x);
            series->attachAxis(plot.y);
            plot.lines[static_cast<std::size_t>(r)] = series;
        }
        plot.live = new QScatterSeries(chart);
        plot.live->setObjectName(partName(def, "Live"));
        plot.live->setMarkerSize(14);
        plot.live->setColor(QColor(0x00, 0xc0, 0x00));
        plot.live->setBorderColor(Qt::black);
        chart->addSeries(plot.live);
        plot.live->attachAxis(plot.x);
        plot.live->attachAxis(plot.y);
        chart->legend()->setVisible(isMap(def));
        chart->legend()->setAlignment(Qt::AlignRight);

        plot.view = new QChartView(chart);
        plot.view->setObjectName(partName(def, "Chart"));
        plot.view->setRenderHint(QPainter::Antialiasing);
        auto *page = new QSplitter(Qt::Horizontal);
        page->setObjectName(QString::fromLatin1(def.name));
        page->addWidget(plot.view);
        if (isMap(def)) {
            plot.heat = new MapHeat;
            plot.heat->setObjectName(partName(def, "Heat"));
            page->addWidget(plot.heat);
            page->setStretchFactor(0, 1);
            page->setStretchFactor(1, 1);
            page->setSizes({1000, 1000}); // halves until the user moves the handle
        }
        m_pages->addTab(page, QString());
    }
    setLanguage(m_language);
    resize(1200, 600);
}

bool GraphsWindow::follow(const DeviceImage &image)
{
    // Block 0 is the unit's identity, nothing drawn here.
    const auto parameters = [](const DeviceImage &i) {
        return std::span(i.bytes()).subspan(kParameterStart);
    };
    if (m_drawn && std::ranges::equal(parameters(*m_drawn), parameters(image)))
        return false;
    m_image = image;
    m_drawn = image;
    for (std::size_t k = 0; k < kPages.size(); ++k)
        draw(k);
    ++m_redraws;
    return true;
}

void GraphsWindow::draw(std::size_t page)
{
    const PageDef &def = kPages[page];
    Plot &plot = m_plots[page];
    int topSpeed = 0;
    int topValue = 0;
    for (int p = 0; p < 10; ++p)
        topSpeed = std::max(topSpeed, speedAt(m_image, def, p));
    if (!isMap(def)) {
        QList<QPointF> points;
        for (int p = 0; p < 10; ++p) {
            const int value = m_image[def.values + static_cast<std::size_t>(p)] * def.unit;
            topValue = std::max(topValue, value);
            points.append(QPointF(speedAt(m_image, def, p), value));
        }
        plot.lines[0]->replace(points);
    } else {
        MapHeat::Cells cells{};
        for (std::size_t n = 0; n < cells.size(); ++n)
            cells[n] = m_image[def.values + n];
        for (int r = 0; r < MapHeat::kSide; ++r) {
            QList<QPointF> points;
            for (int c = 0; c < MapHeat::kSide; ++c) {
                const int value = cells[static_cast<std::size_t>(MapHeat::kSide * r + c)];
                topValue = std::max(topValue, value);
                points.append(QPointF(speedAt(m_image, def, c), value));
            }
            plot.lines[static_cast<std::size_t>(r)]->replace(points);
        }
        plot.heat->setCells(cells);
        QStringList columns;
        for (int c = 0; c < MapHeat::kSide; ++c)
            columns << QString::number(speedAt(m_image, def, c));
        QStringList rows;
        for (int r = 0; r < MapHeat::kSide; ++r)
            rows << QStringLiteral("%1 %").arg(rowLoad(def.rows, r));
        plot.heat->setAxes(columns, rows);
    }
    plot.x->setRange(0, axisTop(topSpeed, 1000));
    plot.y->setRange(0, axisTop(topValue, 10));
    plot.x->applyNiceNumbers();
    plot.y->applyNiceNumbers();
    markLive(page);
}

void GraphsWindow::showLive(const link::MonitorSample &sample)
{
    if (m_live == sample)
        return;
    m_live = sample;
    for (std::size_t k = 0; k < kPages.size(); ++k)
        markLive(k);
}

void GraphsWindow::clearLive()
{
    if (!m_live)
        return;
    m_live.reset();
    for (std::size_t k = 0; k < kPages.size(); ++k)
        markLive(k);
}

void GraphsWindow::markLive(std::size_t page)
{
    const PageDef &def = kPages[page];
    Plot &plot = m_plots[page];
    std::optional<QPointF> point;
    std::optional<QPoint> cell;
    if (m_live && !isMap(def)) {
        const int value =
            page == std::size_t(Page::Ignition) ? m_live->advanceDegrees : m_live->servoDesiredMv;
        point = QPointF(m_live->rpm, value);
    } else if (m_live && m_live->rpm != 0) {
        // Only the maps the unit takes its load from now hold a live cell, as in the grid.
        const link::LivePoints &at = m_live->cells;
        const bool throttleMap = def.rows == Rows::Throttle;
        if (throttleMap == m_live->throttleLoad) {
            const int column = page == std::size_t(Page::Tp14)   ? at.tp14Column
                               : page == std::size_t(Page::Tp23) ? at.tp23Column
                                                                 : at.iapColumn;
            const int row = throttleMap ? at.tpRow : at.iapRow;
            cell = QPoint(column, row);
            point = QPointF(speedAt(m_image, def, column),
                            m_image[def.values + static_cast<std::size_t>(10 * row + column)]);
        }
    }
    if (point) {
        plot.live->replace(QList<QPointF>{*point});
        // A speed or a value beyond the drawn axes widens them rather than leave the point out.
        if (point->x() > plot.x->max())
            plot.x->setMax(axisTop(int(point->x()), 0));
        if (point->y() > plot.y->max())
            plot.y->setMax(axisTop(int(point->y()), 0));
    } else if (plot.live->count() > 0) {
        plot.live->clear();
    }
    if (plot.heat)
        plot.heat->setLiveCell(cell);
}

void GraphsWindow::setLanguage(std::uint8_t language)
{
    m_language = language;
    setWindowTitle(pick(kCaption, language));
    for (std::size_t k = 0; k < kPages.size(); ++k) {
        const PageDef &def = kPages[k];
        Plot &plot = m_plots[k];
        m_pages->setTabText(static_cast<int>(k), pick(def.caption, language));
        plot.view->chart()->setTitle(pick(def.caption, language));
        plot.x->setTitleText(pick(kSpeed, language));
        plot.y->setTitleText(pick(def.valueTitle, language));
        plot.live->setName(pick(kLive, language));
        if (!isMap(def)) {
            plot.lines[0]->setName(pick(def.valueTitle, language));
            continue;
        }
        plot.heat->setTitles(pick(kSpeed, language),
                             pick(def.rows == Rows::Throttle ? kThrottle : kPressure, language),
                             pick(def.valueTitle, language));
    }
}

QXYSeries *GraphsWindow::line(Page page, int row) const
{
    return m_plots[static_cast<std::size_t>(page)].lines[static_cast<std::size_t>(row)];
}

QScatterSeries *GraphsWindow::livePoint(Page page) const
{
    return m_plots[static_cast<std::size_t>(page)].live;
}

MapHeat *GraphsWindow::heat(Page page) const
{
    return m_plots[static_cast<std::size_t>(page)].heat;
}

} // namespace velmora::ui
