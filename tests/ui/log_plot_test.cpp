// The arithmetic of the log viewer's plot: the visible stretch, the reduction to pixel columns
// and the time labels.
#include "ui/log_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace velmora::ui::plot;

namespace {

TEST(TimeWindow, ZoomAndPanStayWithinTheLogAndResetRestoresIt)
{
    TimeWindow w;
    w.setFull({0, 100});
    w.zoom(0.5, 80); // 80 stays put: 40..90
    EXPECT_DOUBLE_EQ(w.visible().from, 40);
    EXPECT_DOUBLE_EQ(w.visible().to, 90);
    w.pan(30); // stops at the end
    EXPECT_EQ(w.visible(), (TimeSpan{50, 100}));
    w.pan(-500);
    EXPECT_EQ(w.visible(), (TimeSpan{0, 50}));
    w.zoom(4, 10); // never wider than the log
    EXPECT_EQ(w.visible(), (TimeSpan{0, 100}));
    w.zoomTo({30.2, 30.3}); // never shorter than the shortest span, about its middle
    EXPECT_NEAR(w.visible().length(), TimeWindow::kShortest, 1e-9);
    EXPECT_NEAR(w.visible().from, 30.25 - TimeWindow::kShortest / 2, 1e-9);
    w.zoomTo({99, 95}); // either way round, kept inside
    EXPECT_EQ(w.visible(), (TimeSpan{95, 99}));
    w.zoomTo({99.5, 120.5}); // past the end: the same length, slid back inside
    EXPECT_EQ(w.visible(), (TimeSpan{79, 100}));
    w.reset();
    EXPECT_EQ(w.visible(), (TimeSpan{0, 100}));

    TimeWindow single; // a log of one row cannot zoom at all
    single.setFull({5, 5});
    single.zoom(0.5, 5);
    EXPECT_EQ(single.visible(), (TimeSpan{5, 5}));
}

TEST(ReducedPoints, KeepsEveryPointWhereFewAndThePeaksWhereMany)
{
    std::vector<double> t, v;
    for (int i = 0; i < 10000; ++i) {
        t.push_back(i * 0.33);
        v.push_back(std::sin(i * 0.01) * 100);
    }
    v[4321] = 5000; // one spike in a column of many points
    v[7000] = -5000;
    v[100] = std::numeric_limits<double>::quiet_NaN();

    const TimeSpan whole{0, t.back()};
    const QList<QPointF> reduced = reducedPoints(t, v, whole, 200);
    EXPECT_LE(reduced.size(), 4 * 200 + 2);
    EXPECT_GE(reduced.size(), 2 * 200);
    double high = -1e9, low = 1e9;
    for (int i = 0; i < reduced.size(); ++i) {
        high = std::max(high, reduced[i].y());
        low = std::min(low, reduced[i].y());
        EXPECT_FALSE(std::isnan(reduced[i].y()));
        if (i > 0) {
            EXPECT_LT(reduced[i - 1].x(), reduced[i].x()) << "time order at " << i;
        }
    }
    EXPECT_EQ(high, 5000);
    EXPECT_EQ(low, -5000);
    EXPECT_EQ(reduced.front().x(), 0);
    EXPECT_EQ(reduced.back().x(), t.back());

    // Zoomed in far enough, every point shows (but the NaN), with one neighbour outside on
    // either side.
    const QList<QPointF> near = reducedPoints(t, v, {32.9, 66.1}, 200);
    ASSERT_EQ(near.size(), 101 + 2 - 1);
    EXPECT_DOUBLE_EQ(near.front().x(), 99 * 0.33);
    EXPECT_DOUBLE_EQ(near.back().x(), 201 * 0.33);
    // A NaN leaves a point out.
    EXPECT_EQ(reducedPoints(t, v, {32.9, 33.7}, 200).size(), 3 + 2 - 1);
    EXPECT_TRUE(reducedPoints({}, {}, whole, 200).isEmpty());
}

TEST(RowAt, FindsTheNearestRow)
{
    const std::vector<double> t{0, 1, 3};
    EXPECT_EQ(rowAt(t, -4), 0);
    EXPECT_EQ(rowAt(t, 0.4), 0);
    EXPECT_EQ(rowAt(t, 0.6), 1);
    EXPECT_EQ(rowAt(t, 2.1), 2);
    EXPECT_EQ(rowAt(t, 99), 2);
    EXPECT_EQ(rowAt({}, 1), -1);
}

TEST(TimeLabels, ReadMinutesAndSecondsOnRoundSteps)
{
    EXPECT_EQ(clockText(0), QStringLiteral("0:00"));
    EXPECT_EQ(clockText(4503), QStringLiteral("75:03")); // hours run on as minutes
    EXPECT_EQ(clockText(59.96, true), QStringLiteral("1:00.0"));
    EXPECT_EQ(clockText(61.25, true), QStringLiteral("1:01.3"));

    const std::vector<double> minutes = timeTicks({10, 600}, 10); // 590 s: a minute apart
    ASSERT_FALSE(minutes.empty());
    EXPECT_EQ(minutes.front(), 60);
    EXPECT_EQ(minutes.back(), 600);
    EXPECT_EQ(minutes.size(), 10u);
    const std::vector<double> tenths = timeTicks({1.0, 2.0}, 8);
    ASSERT_GE(tenths.size(), 2u);
    EXPECT_NEAR(tenths[1] - tenths[0], 0.2, 1e-9);
    EXPECT_LE(timeTicks({0, 21600}, 12).size(), 13u);
    EXPECT_TRUE(timeTicks({5, 5}, 10).empty());
}

} // namespace
