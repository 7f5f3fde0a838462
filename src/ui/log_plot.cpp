#include "log_plot.h"

#include <algorithm>
#include <cmath>

namespace velmora::ui::plot {

void TimeWindow::setFull(TimeSpan full)
{
    m_full = full;
    m_visible = full;
}

void TimeWindow::zoom(double factor, double anchor)
{
    anchor = std::clamp(anchor, m_visible.from, m_visible.to);
    m_visible = {anchor - (anchor - m_visible.from) * factor,
                 anchor + (m_visible.to - anchor) * factor};
    clampVisible();
}

void TimeWindow::zoomTo(TimeSpan span)
{
    if (span.to < span.from)
        std::swap(span.from, span.to);
    m_visible = span;
    clampVisible();
}

void TimeWindow::pan(double seconds)
{
    panTo(m_visible.from + seconds);
}

void TimeWindow::panTo(double from)
{
    const double length = m_visible.length();
    m_visible.from = std::clamp(from, m_full.from, std::max(m_full.from, m_full.to - length));
    m_visible.to = m_visible.from + length;
}

void TimeWindow::clampVisible()
{
    const double shortest = std::min(kShortest, m_full.length());
    if (m_visible.length() < shortest) {
        const double middle = (m_visible.from + m_visible.to) / 2;
        m_visible = {middle - shortest / 2, middle + shortest / 2};
    }
    if (m_visible.length() >= m_full.length()) {
        m_visible = m_full;
        return;
    }
    panTo(m_visible.from);
}

QList<QPointF> reducedPoints(std::span<const double> seconds, std::span<const double> values,
                             TimeSpan visible, int buckets)
{
    QList<QPointF> points;
    const std::size_t count = std::min(seconds.size(), values.size());
    if (count == 0)
        return points;
    const auto begin = seconds.begin();
    std::size_t first = std::lower_bound(begin, begin + count, visible.from) - begin;
    std::size_t last = std::upper_bound(begin, begin + count, visible.to) - begin; // one past
    if (first > 0)
        --first;
    if (last < count)
        ++last;
    const auto add = [&](std::size_t i) {
        if (!std::isnan(values[i]))
            points.append(QPointF(seconds[i], values[i]));
    };
    buckets = std::max(buckets, 1);
    if (last - first <= std::size_t(4 * buckets)) {
        points.reserve(qsizetype(last - first));
        for (std::size_t i = first; i < last; ++i)
            add(i);
        return points;
    }
    points.reserve(4 * buckets + 2);
    const double width = visible.length() / buckets;
    std::size_t i = first;
    // The point before the span stands alone, as does the one after it.
    if (seconds[i] < visible.from)
        add(i++);
    const std::size_t end = seconds[last - 1] > visible.to ? last - 1 : last;
    while (i < end) {
        const auto bucket = static_cast<long long>((seconds[i] - visible.from) / width);
        std::size_t low = i, high = i, firstValid = i, lastValid = i;
        bool any = false;
        std::size_t j = i;
        for (; j < end && static_cast<long long>((seconds[j] - visible.from) / width) == bucket;
             ++j) {
            if (std::isnan(values[j]))
                continue;
            if (!any) {
                low = high = firstValid = j;
                any = true;
            }
            lastValid = j;
            if (values[j] < values[low])
                low = j;
            if (values[j] > values[high])
                high = j;
        }
        if (any) {
            std::size_t picked[] = {firstValid, low, high, lastValid};
            std::sort(std::begin(picked), std::end(picked));
            const std::size_t *unique = std::unique(std::begin(picked), std::end(picked));
            for (const std::size_t *p = picked; p != unique; ++p)
                add(*p);
        }
        i = j;
    }
    if (end < last)
        add(end);
    return points;
}

int rowAt(std::span<const double> seconds, double t)
{
    if (seconds.empty())
        return -1;
    const auto after = std::lower_bound(seconds.begin(), seconds.end(), t);
    if (after == seconds.begin())
        return 0;
    if (after == seconds.end())
        return int(seconds.size()) - 1;
    const auto before = after - 1;
    return int((t - *before <= *after - t ? before : after) - seconds.begin());
}

QString clockText(double seconds, bool tenths)
{
    const bool negative = seconds < 0;
    const auto tenthsCount = static_cast<long long>(std::llround(std::abs(seconds) * 10));
    const long long whole = tenths ? tenthsCount / 10 : std::llround(std::abs(seconds));
    QString text = QStringLiteral("%1%2:%3")
                       .arg(negative ? QStringLiteral("-") : QString())
                       .arg(whole / 60)
                       .arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (tenths)
        text += QStringLiteral(".%1").arg(tenthsCount % 10);
    return text;
}

std::vector<double> timeTicks(TimeSpan span, int most)
{
    static constexpr double kSteps[] = {0.1,  0.2,  0.5,  1,     2,     5,     10,
                                        15,   30,   60,   120,   300,   600,   900,
                                        1800, 3600, 7200, 10800, 21600, 43200, 86400};
    std::vector<double> ticks;
    if (span.length() <= 0 || most < 1)
        return ticks;
    double step = kSteps[std::size(kSteps) - 1];
    for (double s : kSteps) {
        if (span.length() / s <= most) {
            step = s;
            break;
        }
    }
    for (double t = std::ceil(span.from / step - 1e-9) * step; t <= span.to + 1e-9; t += step)
        ticks.push_back(t);
    return ticks;
}

} // namespace velmora::ui::plot
