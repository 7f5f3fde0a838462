#pragma once

// The arithmetic behind the log viewer's plot: the visible stretch of time, the points drawn for
// it and the labels of its time axis. Kept apart from the widgets so that it can be checked alone.
#include <QList>
#include <QPointF>
#include <QString>

#include <span>
#include <vector>

namespace velmora::ui::plot {

struct TimeSpan {
    double from = 0;
    double to = 0;
    double length() const { return to - from; }
    bool operator==(const TimeSpan &) const = default;
};

// The visible stretch of a log's time: never outside the whole log, never shorter than
// `kShortest` (or the whole log, when that is shorter still).
class TimeWindow {
public:
    static constexpr double kShortest = 2.0; // seconds

    void setFull(TimeSpan full);
    TimeSpan full() const { return m_full; }
    TimeSpan visible() const { return m_visible; }

    // A factor below 1 zooms in; `anchor` stays where it is on the screen.
    void zoom(double factor, double anchor);
    void zoomTo(TimeSpan span);
    void pan(double seconds);
    void panTo(double from);
    void reset() { m_visible = m_full; }

private:
    void clampVisible();

    TimeSpan m_full;
    TimeSpan m_visible;
};

// The points that draw `values` over `seconds` (sorted) within `visible` on `buckets` pixel
// columns: every point where there are few, else the first, lowest, highest and last of each
// column, in time order, so that no peak is lost. One point on either side of the span is kept,
// so that the line runs to the edges. Empty values (NaN) are left out.
QList<QPointF> reducedPoints(std::span<const double> seconds, std::span<const double> values,
                             TimeSpan visible, int buckets);

// The row nearest in time to `t`; -1 for an empty log.
int rowAt(std::span<const double> seconds, double t);

// "m:ss" since the start; hours run on as minutes ("75:03"), tenths where the step needs them.
QString clockText(double seconds, bool tenths = false);

// Round times for about `most` labels on `span`: 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min,
// 1 h ... apart.
std::vector<double> timeTicks(TimeSpan span, int most);

} // namespace velmora::ui::plot
