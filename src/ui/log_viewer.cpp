#include "log_viewer.h"

#include "form_parts.h"
#include "log/log_format.h"
#include "log/log_texts.h"
#include "texts.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::ui {

namespace {

// Triples read Czech, English, German.
constexpr Triple kTitle{"Záznam jízdy – %1", "Ride log – %1", "Fahrtaufzeichnung – %1"};
constexpr Triple kPlotPage{"Průběh", "Plot", "Verlauf"};
constexpr Triple kLambdaPage{"Lambda podle buněk", "Lambda by cell", "Lambda nach Zellen"};
constexpr Triple kAnalyse{"&Rozebrat...", "&Analyse...", "&Analysieren..."};
constexpr Triple kReset{"&Celý záznam", "&Reset", "&Zurücksetzen"};
constexpr Triple kHelp{
    "Klik: kurzor · Shift+tažení: zvětšit úsek · tažení pravým tlačítkem: posun · kolečko: "
    "zvětšení · ←/→: kurzor · +/−: zvětšení · PgUp/PgDn: posun · 0: celý záznam",
    "Click: cursor · Shift+drag: zoom to a stretch · right drag: pan · wheel: zoom · ←/→: "
    "cursor · +/−: zoom · PgUp/PgDn: pan · 0: reset",
    "Klick: Cursor · Umschalt+Ziehen: Abschnitt vergrößern · Ziehen mit rechter Taste: "
    "verschieben · Mausrad: Zoom · ←/→: Cursor · +/−: Zoom · Bild↑/Bild↓: verschieben · 0: "
    "zurücksetzen"};
constexpr Triple kCursorAt{"Kurzor: %1 (řádek %2 z %3)", "Cursor: %1 (row %2 of %3)",
                           "Cursor: %1 (Zeile %2 von %3)"};
constexpr Triple kNoRows{"Záznam nemá žádné řádky s hodnotami.", "The log has no rows of values.",
                         "Die Aufzeichnung hat keine Zeilen mit Werten."};
constexpr Triple kCursorHeads[] = {{"Veličina", "Value", "Größe"}, {"Hodnota", "Reading", "Wert"}};
constexpr Triple kMapCell{"%1: řádek %2, sloupec %3", "%1: row %2, column %3",
                          "%1: Zeile %2, Spalte %3"};
constexpr Triple kNoCell{"%1: bez buňky", "%1: no cell", "%1: keine Zelle"};
constexpr Triple kNoCellColumns{"Záznam neobsahuje buňky map.", "The log holds no map cells.",
                                "Die Aufzeichnung enthält keine Kennfeldzellen."};
constexpr Triple kTuningWrite{"%1 zápis ladění %2: řádek %3, sloupec %4, %5 → %6",
                              "%1 tuning write %2: row %3, column %4, %5 → %6",
                              "%1 Tuning-Schreiben %2: Zeile %3, Spalte %4, %5 → %6"};
constexpr Triple kLambdaLegend{
    "V buňce: střední lambda [mV] a pod ní počet vzorků. Řádky a sloupce jako na stránce mapy.",
    "In a cell: the mean lambda [mV] and below it the number of samples. Rows and columns as on "
    "the map's page.",
    "In einer Zelle: mittleres Lambda [mV] und darunter die Zahl der Messwerte. Zeilen und "
    "Spalten wie auf der Seite des Kennfelds."};
constexpr Triple kLambdaTip{"%1 vzorků, střední lambda %2 mV", "%1 samples, mean lambda %2 mV",
                            "%1 Messwerte, mittleres Lambda %2 mV"};

// The channels the plot offers: the log's column, the caption and the colour of its line and
// scale. Speed, throttle and lambda are shown when a log opens.
struct ChannelDef {
    const char *key; // object names: LogChannel<key>
    const char *column;
    Triple caption;
    QRgb colour;
    bool shown;
};
const ChannelDef kChannels[LogViewer::kChannelCount] = {
    {"Rpm", "rpm [rpm]", {"Otáčky [1/min]", "Speed [rpm]", "Drehzahl [1/min]"}, 0x1f5fbf, true},
    {"Throttle", "throttle [%]", {"Plyn [%]", "Throttle [%]", "Drosselklappe [%]"}, 0x2e9e3e, true},
    {"Intake",
     "intake pressure [%]",
     {"Tlak v sání [%]", "Intake pressure [%]", "Saugrohrdruck [%]"},
     0x8c564b,
     false},
    {"Lambda", "lambda [mV]", {"Lambda [mV]", "Lambda [mV]", "Lambda [mV]"}, 0xd62728, true},
    {"Injection14",
     "injection time 14 [us]",
     {"Vstřik 14 [µs]", "Injection time 14 [µs]", "Einspritzzeit 14 [µs]"},
     0x9467bd,
     false},
    {"Injection23",
     "injection time 23 [us]",
     {"Vstřik 23 [µs]", "Injection time 23 [µs]", "Einspritzzeit 23 [µs]"},
     0xe377c2,
     false},
    {"Advance", "advance [°]", {"Předstih [°]", "Advance [°]", "Vorzündung [°]"}, 0xff7f0e, false},
    {"Coolant",
     "coolant [°C]",
     {"Chladicí kapalina [°C]", "Coolant [°C]", "Kühlmittel [°C]"},
     0x17becf,
     false},
    {"Air", "air [°C]", {"Vzduch [°C]", "Air [°C]", "Luft [°C]"}, 0x7f7f7f, false},
    {"Supply", "supply [V]", {"Napájení [V]", "Supply [V]", "Versorgung [V]"}, 0xbcbd22, false},
};

QString number(double value)
{
    if (std::isnan(value))
        return QStringLiteral("–");
    if (value == std::round(value) && std::abs(value) < 1e12)
        return QString::number(static_cast<long long>(value));
    return QString::number(value, 'f', 2);
}

// How the cursor panel shows a column's value: as a number, as a map cell counted from 1 (the
// file counts from 0), or as the word a state stands for (the reader makes the first 1).
enum class Shown { Number, Cell, Running, OnOff, Load };
constexpr Triple kRunning[] = {{"bez signálu", "no signal", "kein Signal"},
                               {"běží", "is running", "läuft"}};
constexpr Triple kOnOff[] = {{"VYP", "OFF", "AUS"}, {"ZAP", "ON", "EIN"}};
constexpr Triple kLoad[] = {{"sání", "intake", "Saugrohr"}, {"plyn", "throttle", "Drosselklappe"}};

// The columns of a log that the plot does not offer, as the cursor panel names them; a column
// the viewer does not know keeps the file's name.
struct ColumnDef {
    const char *column;
    Triple caption;
    Shown shown = Shown::Number;
};
const ColumnDef kOtherColumns[] = {
    {"ambient pressure [kPa]",
     {"Atmosférický tlak [kPa]", "Ambient pressure [kPa]", "Umgebungsdruck [kPa]"}},
    {"crank pick-up [state]",
     {"Snímač klikové hřídele", "Crank pick-up", "Kurbelwellengeber"},
     Shown::Running},
    {"cam pick-up [state]",
     {"Snímač vačkové hřídele", "Cam pick-up", "Nockenwellengeber"},
     Shown::Running},
    {"duty [%]", {"Střída [%]", "Duty [%]", "Tastverhältnis [%]"}},
    {"blocking [state]", {"Blokování", "Blocking", "Sperre"}, Shown::OnOff},
    {"servo desired [mV]", {"Servo požadované [mV]", "Servo desired [mV]", "Servo Soll [mV]"}},
    {"servo measured [mV]", {"Servo změřené [mV]", "Servo measured [mV]", "Servo Ist [mV]"}},
    {"coolant correction [%]",
     {"Korekce chladicí kapaliny [%]", "Coolant correction [%]", "Kühlmittelkorrektur [%]"}},
    {"air correction [%]", {"Korekce vzduchu [%]", "Air correction [%]", "Luftkorrektur [%]"}},
    {"pressure correction [%]",
     {"Korekce tlaku [%]", "Pressure correction [%]", "Druckkorrektur [%]"}},
    {"start correction [%]", {"Korekce startu [%]", "Start correction [%]", "Startkorrektur [%]"}},
    {"supply correction [us]",
     {"Korekce napájení [µs]", "Supply correction [µs]", "Versorgungskorrektur [µs]"}},
    {"programming count [count]", {"Počet programování", "Programming count", "Programmierzähler"}},
    {"version mismatch [text]", {"Nesouhlas verze", "Version mismatch", "Versionskonflikt"}},
    {"data error [flag]", {"Chyba dat", "Data error", "Datenfehler"}},
    {"load [source]", {"Zatížení", "Load", "Last"}, Shown::Load},
    {"TP14 row [index]", {"TP14 řádek", "TP14 row", "TP14 Zeile"}, Shown::Cell},
    {"TP14 column [index]", {"TP14 sloupec", "TP14 column", "TP14 Spalte"}, Shown::Cell},
    {"TP23 row [index]", {"TP23 řádek", "TP23 row", "TP23 Zeile"}, Shown::Cell},
    {"TP23 column [index]", {"TP23 sloupec", "TP23 column", "TP23 Spalte"}, Shown::Cell},
    {"IAP row [index]", {"IAP řádek", "IAP row", "IAP Zeile"}, Shown::Cell},
    {"IAP column [index]", {"IAP sloupec", "IAP column", "IAP Spalte"}, Shown::Cell},
};

QString shownValue(double value, Shown shown, std::uint8_t language)
{
    const auto word = [&](const Triple(&words)[2]) {
        return pick(words[value != 0 ? 1 : 0], language);
    };
    if (std::isnan(value))
        return number(value);
    switch (shown) {
    case Shown::Number:
        break;
    case Shown::Cell:
        return number(value + 1);
    case Shown::Running:
        return word(kRunning);
    case Shown::OnOff:
        return word(kOnOff);
    case Shown::Load:
        return word(kLoad);
    }
    return number(value);
}

// The cell columns of each injection map, in the order TP14, TP23, IAP.

int cellIndex(double value)
{
    return std::isnan(value) ? -1 : static_cast<int>(std::lround(value));
}

// Lean (few millivolts) blue, about 450 mV green, rich red: the colour a tuner reads at a glance.
QColor lambdaColour(double mv)
{
    const double lean = std::clamp((450.0 - mv) / 350.0, 0.0, 1.0);
    const double rich = std::clamp((mv - 450.0) / 450.0, 0.0, 1.0);
    const int hue = lean > 0 ? int(120 + 100 * lean) : int(120 - 120 * rich);
    return QColor::fromHsv(hue, 90, 245);
}

} // namespace

std::pair<QStringList, QStringList> LogMapAxes::headers(std::size_t map) const
{
    if (rows[map].size() == 10 && columns[map].size() == 10)
        return {rows[map], columns[map]};
    QStringList counted;
    for (int i = 1; i <= 10; ++i)
        counted << QString::number(i);
    return {counted, counted};
}

QString LogMapAxes::mapName(std::size_t map)
{
    const std::string_view name = log::kInjectionMaps[map].name;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// The chart on the screen: turns clicks, drags, the wheel and keys into cursor, zoom and pan of
// its viewer, and draws the cursor, the event marks and the band being dragged over the plot.
class LogChartView : public QChartView {
public:
    LogChartView(QChart *chart, LogViewer &viewer) : QChartView(chart), m_viewer(viewer)
    {
        setObjectName(QStringLiteral("LogChart"));
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        setRenderHint(QPainter::Antialiasing, false);
    }

    double timeAt(double x) const
    {
        const QRectF area = chart()->plotArea();
        const plot::TimeSpan visible = m_viewer.visibleTime();
        if (area.width() <= 0)
            return visible.from;
        return visible.from + (x - area.left()) / area.width() * visible.length();
    }
    double xAt(double t) const
    {
        const QRectF area = chart()->plotArea();
        const plot::TimeSpan visible = m_viewer.visibleTime();
        return visible.length() <= 0
                   ? area.left()
                   : area.left() + (t - visible.from) / visible.length() * area.width();
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        setFocus(Qt::MouseFocusReason);
        m_pressX = m_lastX = sceneX(event);
        if (event->button() == Qt::LeftButton)
            m_drag = event->modifiers() & Qt::ShiftModifier ? Drag::Band : Drag::Cursor;
        else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton)
            m_drag = Drag::Pan;
        if (m_drag == Drag::Cursor)
            m_viewer.setCursorTime(timeAt(m_pressX));
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        const double x = sceneX(event);
        switch (m_drag) {
        case Drag::None:
            showEventTip(event, x);
            break;
        case Drag::Cursor:
            m_viewer.setCursorTime(timeAt(x));
            break;
        case Drag::Band:
            viewport()->update();
            break;
        case Drag::Pan: {
            const QRectF area = chart()->plotArea();
            if (area.width() > 0)
                m_viewer.pan(-(x - m_lastX) / area.width() * m_viewer.visibleTime().length());
            break;
        }
        }
        m_lastX = x;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const double x = sceneX(event);
        if (m_drag == Drag::Band && std::abs(x - m_pressX) >= 4)
            m_viewer.zoomTo({timeAt(m_pressX), timeAt(x)});
        m_drag = Drag::None;
        viewport()->update();
        event->accept();
    }
    void wheelEvent(QWheelEvent *event) override
    {
        const int steps = event->angleDelta().y();
        if (steps != 0)
            m_viewer.zoom(steps > 0 ? 0.8 : 1.25,
                          timeAt(mapToScene(event->position().toPoint()).x()));
        event->accept();
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        const plot::TimeSpan visible = m_viewer.visibleTime();
        const auto &seconds = m_viewer.rideLog().seconds;
        const int row = m_viewer.cursorRow();
        const int rows = int(seconds.size());
        const auto cursorTo = [&](int r) {
            if (rows > 0)
                m_viewer.setCursorTime(seconds[std::size_t(std::clamp(r, 0, rows - 1))]);
        };
        const double anchor = row >= 0 ? seconds[std::size_t(row)] : visible.from;
        const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
        switch (event->key()) {
        case Qt::Key_Left:
            cursorTo(row - step);
            break;
        case Qt::Key_Right:
            cursorTo(row + step);
            break;
        case Qt::Key_Home:
            cursorTo(0);
            break;
        case Qt::Key_End:
            cursorTo(rows - 1);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            m_viewer.zoom(0.5, anchor);
            break;
        case Qt::Key_Minus:
            m_viewer.zoom(2.0, anchor);
            break;
        case Qt::Key_PageUp:
            m_viewer.pan(-visible.length() / 2);
            break;
        case Qt::Key_PageDown:
            m_viewer.pan(visible.length() / 2);
            break;
        case Qt::Key_0:
            m_viewer.resetZoom();
            break;
        default:
            QChartView::keyPressEvent(event);
            return;
        }
        event->accept();
    }
    void drawForeground(QPainter *painter, const QRectF &rect) override
    {
        QChartView::drawForeground(painter, rect);
        const QRectF area = chart()->plotArea();
        const plot::TimeSpan visible = m_viewer.visibleTime();
        painter->save();
        painter->setClipRect(area);
        painter->setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
        painter->setBrush(QColor(0x60, 0x60, 0x60));
        for (const log::LogEvent &e : m_viewer.rideLog().events) {
            if (e.seconds < visible.from || e.seconds > visible.to)
                continue;
            const double x = xAt(e.seconds);
            painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
            const QPointF mark[] = {{x - 4, area.top()}, {x + 4, area.top()}, {x, area.top() + 6}};
            painter->drawPolygon(mark, 3);
        }
        const int row = m_viewer.cursorRow();
        if (row >= 0) {
            painter->setPen(QPen(Qt::black, 1.5));
            const double x = xAt(m_viewer.rideLog().seconds[std::size_t(row)]);
            painter->drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
        if (m_drag == Drag::Band) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0x30, 0x60, 0xc0, 50));
            painter->drawRect(QRectF(QPointF(std::min(m_pressX, m_lastX), area.top()),
                                     QPointF(std::max(m_pressX, m_lastX), area.bottom())));
        }
        painter->restore();
    }

private:
    enum class Drag { None, Cursor, Band, Pan };

    double sceneX(const QMouseEvent *event) const
    {
        return mapToScene(event->position().toPoint()).x();
    }
    void showEventTip(const QMouseEvent *event, double x)
    {
        const log::LogEvent *nearest = nullptr;
        double distance = 5;
        for (const log::LogEvent &e : m_viewer.rideLog().events) {
            const double d = std::abs(xAt(e.seconds) - x);
            if (d < distance) {
                distance = d;
                nearest = &e;
            }
        }
        if (nearest)
            QToolTip::showText(event->globalPosition().toPoint(), m_viewer.eventText(*nearest),
                               this);
        else
            QToolTip::hideText();
    }

    LogViewer &m_viewer;
    Drag m_drag = Drag::None;
    double m_pressX = 0;
    double m_lastX = 0;
};

LogViewer::LogViewer(log::RideLog rideLog, QString fileName, LogMapAxes axes, std::uint8_t language,
                     QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(std::move(rideLog)), m_lambda(log::lambdaByCell(m_log)),
      m_fileName(std::move(fileName)), m_axes(std::move(axes)), m_language(language)
{
    setObjectName(QStringLiteral("LogViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    const double end = m_log.seconds.empty() ? 0 : m_log.seconds.back();
    m_window.setFull({m_log.seconds.empty() ? 0 : m_log.seconds.front(), end});

    auto *layout = new QVBoxLayout(this);
    m_pages = form::make<QTabWidget>(this, QStringLiteral("LogPages"));
    m_pages->addTab(buildPlotPage(), QString());
    m_pages->addTab(buildLambdaPage(), QString());
    layout->addWidget(m_pages);
    m_analyse = form::button(this, QStringLiteral("LogViewerAnalyse"), QString());
    connect(m_analyse, &QPushButton::clicked, this, &LogViewer::analyseRequested);
    m_pages->setCornerWidget(m_analyse);
    buildSeries();
    if (!m_log.seconds.empty())
        m_cursorRow = 0;
    setLanguage(language);
    fillLambdaTables();
    visibleChanged();
    resize(1100, 700);
}

LogViewer::~LogViewer() = default;

QWidget *LogViewer::buildPlotPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *boxes = new QGridLayout;
    for (int c = 0; c < kChannelCount; ++c) {
        const ChannelDef &def = kChannels[c];
        Channel &channel = m_channels[std::size_t(c)];
        channel.column = m_log.column(def.column);
        channel.box =
            form::make<QCheckBox>(page, QStringLiteral("LogChannel%1").arg(QLatin1String(def.key)));
        channel.box->setStyleSheet(
            QStringLiteral("QCheckBox { color: %1; }").arg(QColor(def.colour).name()));
        channel.box->setEnabled(channel.column >= 0);
        channel.box->setChecked(def.shown && channel.column >= 0);
        connect(channel.box, &QCheckBox::toggled, this,
                [this, c](bool shown) { showChannel(c, shown); });
        boxes->addWidget(channel.box, c / 5, c % 5);
    }
    layout->addLayout(boxes);

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->setBackgroundRoundness(0);
    m_view = new LogChartView(m_chart, *this);
    m_view->setMinimumSize(400, 300);

    auto *side = new QVBoxLayout;
    m_cursorHeading = form::label(page, QStringLiteral("LogCursorHeading"), QString());
    side->addWidget(m_cursorHeading);
    m_cursorValues = form::make<QTableWidget>(page, QStringLiteral("LogCursorValues"));
    m_cursorValues->setColumnCount(2);
    m_cursorValues->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_cursorValues->verticalHeader()->hide();
    m_cursorValues->verticalHeader()->setDefaultSectionSize(20);
    m_cursorValues->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_cursorValues->horizontalHeader()->setStretchLastSection(true);
    m_cursorValues->setRowCount(int(m_log.columns.size()));
    side->addWidget(m_cursorValues, 1);
    m_cursorCells = form::label(page, QStringLiteral("LogCursorCells"), QString());
    m_cursorCells->setWordWrap(true);
    side->addWidget(m_cursorCells);

    auto *middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    auto *sideWidget = new QWidget(page);
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(360);
    middle->addWidget(sideWidget);
    layout->addLayout(middle, 1);

    auto *bottom = new QHBoxLayout;
    m_scroll = form::make<QScrollBar>(page, QStringLiteral("LogScroll"));
    m_scroll->setOrientation(Qt::Horizontal);
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int ms) {
        if (m_scrolling)
            return;
        m_window.panTo(m_window.full().from + ms / 1000.0);
        visibleChanged();
    });
    m_reset = form::button(page, QStringLiteral("LogReset"), QString());
    connect(m_reset, &QPushButton::clicked, this, &LogViewer::resetZoom);
    bottom->addWidget(m_scroll, 1);
    bottom->addWidget(m_reset);
    layout->addLayout(bottom);
    m_help = form::label(page, QStringLiteral("LogHelp"), QString());
    m_help->setWordWrap(true);
    layout->addWidget(m_help);
    m_note = form::label(page, QStringLiteral("LogNote"), QString());
    m_note->setVisible(m_log.skippedRows > 0);
    layout->addWidget(m_note);
    return page;
}

QWidget *LogViewer::buildLambdaPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_lambdaLegend = form::label(page, QStringLiteral("LogLambdaLegend"), QString());
    m_lambdaLegend->setWordWrap(true);
    layout->addWidget(m_lambdaLegend);
    m_lambdaMaps = form::make<QTabWidget>(page, QStringLiteral("LogLambdaMaps"));
    for (std::size_t m = 0; m < 3; ++m) {
        auto *table = form::make<QTableWidget>(
            page, QStringLiteral("LogLambda%1").arg(LogMapAxes::mapName(m)));
        table->setRowCount(10);
        table->setColumnCount(10);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        m_lambdaTables[m] = table;
        m_lambdaMaps->addTab(table, LogMapAxes::mapName(m));
    }
    layout->addWidget(m_lambdaMaps, 1);
    return page;
}

void LogViewer::buildSeries()
{
    m_timeAxis = new QCategoryAxis;
    m_timeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    for (int c = 0; c < kChannelCount; ++c) {
        Channel &channel = m_channels[std::size_t(c)];
        if (channel.column < 0)
            continue;
        const ChannelDef &def = kChannels[c];
        const std::vector<double> &values = m_log.values[std::size_t(channel.column)];
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (double v : values) {
            if (!std::isnan(v)) {
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
        if (low > high)
            low = 0, high = 1;
        const double margin = high > low ? (high - low) * 0.05 : 1.0;
        channel.series = new QLineSeries;
        channel.series->setName(QLatin1String(def.key));
        channel.series->setPen(QPen(QColor(def.colour), 1.2));
        channel.axis = new QValueAxis;
        channel.axis->setRange(low - margin, high + margin);
        channel.axis->setGridLineVisible(false);
        channel.axis->setLabelsColor(QColor(def.colour));
        channel.axis->setLinePenColor(QColor(def.colour));
        channel.axis->setLabelFormat(high - low < 10 ? QStringLiteral("%.1f")
                                                     : QStringLiteral("%.0f"));
        m_chart->addSeries(channel.series);
        m_chart->addAxis(channel.axis, c % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
        channel.series->attachAxis(m_timeAxis);
        channel.series->attachAxis(channel.axis);
        channel.series->setVisible(channel.box->isChecked());
        channel.axis->setVisible(channel.box->isChecked());
    }
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { redraw(); });
}

void LogViewer::showChannel(int channel, bool shown)
{
    Channel &c = m_channels[std::size_t(channel)];
    if (!c.series)
        return;
    c.series->setVisible(shown);
    c.axis->setVisible(shown);
    redraw();
}

const QLineSeries *LogViewer::series(int channel) const
{
    return m_channels[std::size_t(channel)].series;
}

void LogViewer::setCursorTime(double seconds)
{
    const int row = plot::rowAt(m_log.seconds, seconds);
    if (row < 0)
        return;
    m_cursorRow = row;
    // The cursor keeps in view: the plot follows it when keys take it past an edge.
    const double t = m_log.seconds[std::size_t(row)];
    const plot::TimeSpan visible = m_window.visible();
    if (t < visible.from || t > visible.to) {
        m_window.panTo(t - visible.length() / 2);
        visibleChanged();
    }
    fillCursorPanel();
    m_view->viewport()->update();
}

void LogViewer::zoom(double factor, double anchor)
{
    m_window.zoom(factor, anchor);
    visibleChanged();
}

void LogViewer::zoomTo(plot::TimeSpan span)
{
    m_window.zoomTo(span);
    visibleChanged();
}

void LogViewer::pan(double seconds)
{
    m_window.pan(seconds);
    visibleChanged();
}

void LogViewer::resetZoom()
{
    m_window.reset();
    visibleChanged();
}

void LogViewer::visibleChanged()
{
    updateScrollBar();
    redraw();
}

void LogViewer::redraw()
{
    const plot::TimeSpan visible = m_window.visible();
    const int width = int(m_chart->plotArea().width());
    const int columns = width > 10 ? width : 800;
    for (const Channel &channel : m_channels) {
        if (!channel.series)
            continue;
        // A hidden channel is drawn afresh when it is shown.
        channel.series->replace(channel.series->isVisible()
                                    ? plot::reducedPoints(m_log.seconds,
                                                          m_log.values[std::size_t(channel.column)],
                                                          visible, columns)
                                    : QList<QPointF>());
    }
    updateTimeAxis();
    m_view->viewport()->update();
}

void LogViewer::updateTimeAxis()
{
    const plot::TimeSpan visible = m_window.visible();
    for (const QString &label : m_timeAxis->categoriesLabels())
        m_timeAxis->remove(label);
    const double width = std::max(200.0, m_chart->plotArea().width());
    const std::vector<double> ticks = plot::timeTicks(visible, int(width / 70));
    const bool tenths =
        ticks.size() > 1 && std::abs(ticks[1] - ticks[0] - std::round(ticks[1] - ticks[0])) > 1e-6;
    const double length = std::max(visible.length(), 1e-3);
    m_timeAxis->setStartValue(visible.from - length * 1e-6);
    for (double t : ticks)
        m_timeAxis->append(plot::clockText(t, tenths), t);
    m_timeAxis->setRange(visible.from, visible.from + length);
}

void LogViewer::updateScrollBar()
{
    const plot::TimeSpan full = m_window.full();
    const plot::TimeSpan visible = m_window.visible();
    m_scrolling = true;
    m_scroll->setRange(0, int(std::lround((full.length() - visible.length()) * 1000)));
    m_scroll->setPageStep(std::max(1, int(std::lround(visible.length() * 1000))));
    m_scroll->setSingleStep(std::max(1, int(std::lround(visible.length() * 100))));
    m_scroll->setValue(int(std::lround((visible.from - full.from) * 1000)));
    m_scrolling = false;
}

void LogViewer::setLanguage(std::uint8_t language)
{
    m_language = language;
    setWindowTitle(pick(kTitle, language).arg(QFileInfo(m_fileName).fileName()));
    m_pages->setTabText(0, pick(kPlotPage, language));
    m_pages->setTabText(1, pick(kLambdaPage, language));
    for (int c = 0; c < kChannelCount; ++c)
        m_channels[std::size_t(c)].box->setText(pick(kChannels[c].caption, language));
    m_reset->setText(pick(kReset, language));
    m_analyse->setText(pick(kAnalyse, language));
    m_help->setText(pick(kHelp, language));
    m_note->setText(
        QString::fromStdString(log::text::skippedRowsMessage(m_log.skippedRows, language)));
    m_cursorValues->setHorizontalHeaderLabels(pick(kCursorHeads, language));
    m_lambdaLegend->setText(pick(kLambdaLegend, language));
    fillCursorPanel();
    fillLambdaTables();
}

void LogViewer::fillCursorPanel()
{
    if (m_cursorRow < 0) {
        m_cursorHeading->setText(pick(kNoRows, m_language));
        m_cursorCells->clear();
        return;
    }
    const auto row = std::size_t(m_cursorRow);
    m_cursorHeading->setText(pick(kCursorAt, m_language)
                                 .arg(plot::clockText(m_log.seconds[row], true))
                                 .arg(m_cursorRow + 1)
                                 .arg(m_log.seconds.size()));
    for (std::size_t c = 0; c < m_log.columns.size(); ++c) {
        const std::string &column = m_log.columns[c];
        QString name = QString::fromStdString(column);
        Shown shown = Shown::Number;
        for (const ChannelDef &def : kChannels)
            if (column == def.column)
                name = pick(def.caption, m_language);
        for (const ColumnDef &def : kOtherColumns)
            if (column == def.column)
                name = pick(def.caption, m_language), shown = def.shown;
        const auto set = [this, c](int at, const QString &text) {
            QTableWidgetItem *item = m_cursorValues->item(int(c), at);
            if (!item)
                m_cursorValues->setItem(int(c), at, item = new QTableWidgetItem);
            item->setText(text);
        };
        set(0, name);
        set(1, shownValue(m_log.values[c][row], shown, m_language));
    }
    QStringList cells;
    bool anyColumns = false;
    for (int m = 0; m < 3; ++m) {
        const int rowColumn =
            m_log.column(std::string(log::kInjectionMaps[m].name) + " row [index]");
        const int columnColumn =
            m_log.column(std::string(log::kInjectionMaps[m].name) + " column [index]");
        if (rowColumn < 0 || columnColumn < 0)
            continue;
        anyColumns = true;
        cells << mapCellText(m, cellIndex(m_log.values[std::size_t(rowColumn)][row]),
                             cellIndex(m_log.values[std::size_t(columnColumn)][row]));
    }
    m_cursorCells->setText(anyColumns ? cells.join(QLatin1Char('\n'))
                                      : pick(kNoCellColumns, m_language));
}

QString LogViewer::mapCellText(int map, int row, int column) const
{
    const QString name = LogMapAxes::mapName(map);
    if (row < 0 || row > 9 || column < 0 || column > 9)
        return pick(kNoCell, m_language).arg(name);
    QString text = pick(kMapCell, m_language).arg(name).arg(row + 1).arg(column + 1);
    const QStringList &rows = m_axes.rows[std::size_t(map)];
    const QStringList &columns = m_axes.columns[std::size_t(map)];
    if (rows.size() == 10 && columns.size() == 10)
        text += QStringLiteral(" (%1, %2)").arg(rows[row].trimmed(), columns[column].trimmed());
    return text;
}

QString LogViewer::eventText(const log::LogEvent &event) const
{
    const QString at = plot::clockText(event.seconds, true);
    if (event.map >= 0 && event.map < 3)
        return pick(kTuningWrite, m_language)
            .arg(at, LogMapAxes::mapName(event.map))
            .arg(event.row + 1)
            .arg(event.column + 1)
            .arg(event.from)
            .arg(event.to);
    return at + QLatin1Char(' ') + QString::fromStdString(event.text);
}

void LogViewer::fillLambdaTables()
{
    for (std::size_t m = 0; m < 3; ++m) {
        QTableWidget *table = m_lambdaTables[m];
        const auto [rows, columns] = m_axes.headers(m);
        table->setVerticalHeaderLabels(rows);
        table->setHorizontalHeaderLabels(columns);
        for (int r = 0; r < 10; ++r) {
            for (int c = 0; c < 10; ++c) {
                const log::CellLambda &cell = m_lambda[m][std::size_t(r)][std::size_t(c)];
                if (cell.samples == 0) {
                    delete table->takeItem(r, c);
                    continue;
                }
                auto *item = new QTableWidgetItem(
                    QStringLiteral("%1\n%2").arg(std::lround(cell.meanMv)).arg(cell.samples));
                item->setTextAlignment(Qt::AlignCenter);
                item->setBackground(lambdaColour(cell.meanMv));
                item->setToolTip(
                    pick(kLambdaTip, m_language).arg(cell.samples).arg(std::lround(cell.meanMv)));
                table->setItem(r, c, item);
            }
        }
    }
}

} // namespace velmora::ui
