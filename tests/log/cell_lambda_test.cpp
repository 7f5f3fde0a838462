#include "log/cell_lambda.h"

#include <gtest/gtest.h>

namespace velmora::log {
namespace {

int totalSamples(const MapLambda &map)
{
    int total = 0;
    for (const auto &row : map)
        for (const CellLambda &cell : row)
            total += cell.samples;
    return total;
}

// Seven rows worked out by hand: the error lambda counts nowhere, a missing IAP cell and a TP14
// row outside the map count only for the other maps, the event row counts nowhere.
TEST(LambdaByCell, CountsAndMeansOfAHandMadeLog)
{
    const auto read = parseRideLog(
        "time [ISO 8601],lambda [mV],TP14 row [index],TP14 column [index],TP23 row [index],"
        "TP23 column [index],IAP row [index],IAP column [index],event [text]\n"
        "2026-05-01T10:00:00.000Z,400,3,5,3,5,2,1,\n"
        "2026-05-01T10:00:00.330Z,500,3,5,3,6,2,1,\n"
        "2026-05-01T10:00:00.660Z,600,3,5,3,6,,,\n"
        "2026-05-01T10:00:00.990Z,error,3,5,3,5,2,1,\n"
        "2026-05-01T10:00:01.320Z,800,0,0,0,0,9,9,\n"
        "2026-05-01T10:00:01.650Z,450,10,0,3,5,2,1,\n"
        "2026-05-01T10:00:01.700Z,,,,,,,,program: ok\n");
    ASSERT_TRUE(read.log);
    const auto maps = lambdaByCell(*read.log);

    EXPECT_EQ(maps[0][3][5].samples, 3);
    EXPECT_DOUBLE_EQ(maps[0][3][5].meanMv, 500);
    EXPECT_EQ(maps[0][0][0].samples, 1);
    EXPECT_DOUBLE_EQ(maps[0][0][0].meanMv, 800);
    EXPECT_EQ(totalSamples(maps[0]), 4);

    EXPECT_EQ(maps[1][3][5].samples, 2);
    EXPECT_DOUBLE_EQ(maps[1][3][5].meanMv, 425);
    EXPECT_EQ(maps[1][3][6].samples, 2);
    EXPECT_DOUBLE_EQ(maps[1][3][6].meanMv, 550);
    EXPECT_EQ(maps[1][0][0].samples, 1);
    EXPECT_EQ(totalSamples(maps[1]), 5);

    EXPECT_EQ(maps[2][2][1].samples, 3);
    EXPECT_DOUBLE_EQ(maps[2][2][1].meanMv, 450);
    EXPECT_EQ(maps[2][9][9].samples, 1);
    EXPECT_DOUBLE_EQ(maps[2][9][9].meanMv, 800);
    EXPECT_EQ(totalSamples(maps[2]), 4);
    // A cell without samples has no mean.
    EXPECT_EQ(maps[2][0][0].meanMv, 0);
}

TEST(LambdaByCell, EmptyWithoutCellColumnsOrLambda)
{
    // The older column set: lambda, but no cell; and one map's columns without lambda.
    const auto older = parseRideLog("time [ISO 8601],rpm [rpm],lambda [mV]\n"
                                    "2026-05-01T10:00:00Z,3000,450\n");
    const auto noLambda = parseRideLog("time [ISO 8601],IAP row [index],IAP column [index]\n"
                                       "2026-05-01T10:00:00Z,2,3\n");
    // Half of a map's cell columns is no cell either.
    const auto halfCell = parseRideLog("time [ISO 8601],lambda [mV],TP23 row [index]\n"
                                       "2026-05-01T10:00:00Z,450,2\n");
    for (const auto *read : {&older, &noLambda, &halfCell}) {
        ASSERT_TRUE(read->log);
        for (const MapLambda &map : lambdaByCell(*read->log))
            EXPECT_EQ(totalSamples(map), 0);
    }
}

} // namespace
} // namespace velmora::log
