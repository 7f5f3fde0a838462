#pragma once

#include "link/monitor_display.h"
#include "model/device_image.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QTabWidget;
class QValueAxis;
class QXYSeries;

namespace velmora::ui {

class MapHeat;

// Pictures of the parameter set in a window of their own: the ignition advance and servo curves
// as line plots, each injection map as a family of lines (one per load row over the map's speed
// axis) and as a colour map, with the point the engine runs at marked while the monitor runs.
// The window draws from a copy of the set; the main window hands it the set after every tick and
// show step, and it redraws only what differs. The main grid's colours are not its business.
class GraphsWindow : public QWidget {
    Q_OBJECT
public:
    enum class Page : std::uint8_t { Ignition, Servo, Tp14, Tp23, Iap };
    static constexpr int kPageCount = 5;

    explicit GraphsWindow(QWidget *parent = nullptr);

    // Redraws from `image` when its parameter set differs from the one last drawn; true when it
    // did.
    bool follow(const DeviceImage &image);
    // The live point of a valid monitor reply; cleared when the monitor stops.
    void showLive(const link::MonitorSample &sample);
    void clearLive();
    void setLanguage(std::uint8_t language);

    int redrawCount() const { return m_redraws; }
    QTabWidget *pages() const { return m_pages; }
    // A curve (row 0) or one load row of a map's family of lines.
    QXYSeries *line(Page page, int row = 0) const;
    // The live point on the page; empty while there is none.
    QScatterSeries *livePoint(Page page) const;
    MapHeat *heat(Page page) const; // none for the curves

private:
    struct Plot {
        QChartView *view = nullptr;
        QValueAxis *x = nullptr;
        QValueAxis *y = nullptr;
        std::array<QLineSeries *, 10> lines{}; // one for a curve, ten for a map
        QScatterSeries *live = nullptr;
        MapHeat *heat = nullptr;
    };
    void draw(std::size_t page);
    void markLive(std::size_t page);

    std::uint8_t m_language = 1;
    QTabWidget *m_pages = nullptr;
    std::array<Plot, kPageCount> m_plots;
    std::optional<DeviceImage> m_drawn; // none before the first drawing
    DeviceImage m_image;                // the set as last drawn
    std::optional<link::MonitorSample> m_live;
    int m_redraws = 0;
};

} // namespace velmora::ui
