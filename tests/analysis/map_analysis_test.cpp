#include "analysis/map_analysis.h"

#include <gtest/gtest.h>

using namespace velmora::analysis;

TEST(SensorCurve, InterpolatesBetweenPointsAndClampsAtTheEnds)
{
    const SensorCurve curve{{{100, 1.2}, {500, 1.0}, {900, 0.8}}};
    EXPECT_DOUBLE_EQ(curve.lambdaAt(300), 1.1);
    EXPECT_DOUBLE_EQ(curve.lambdaAt(700), 0.9);
    EXPECT_DOUBLE_EQ(curve.lambdaAt(0), 1.2);
    EXPECT_DOUBLE_EQ(curve.lambdaAt(2000), 0.8);
}
