#include "model/grid_steps.h"
#include "model/map_operations.h"
#include "model/parameter_set.h"
#include "test_images.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::Bytes;
using velmora::test::bytesAt;
using velmora::test::differences;
using velmora::test::put;

namespace {

DeviceImage start()
{
    return velmora::test::defaultSet(1);
}

LiveCell runningAt(int row, int column)
{
    LiveCell live;
    live.belowCurve = false;
    live.running = true;
    live.tpRow = live.iapRow = row;
    live.tp14Column = live.tp23Column = live.iapColumn = column;
    live.ignition = live.servo = column;
    return live;
}

} // namespace

TEST(MapOperations, StoppedEngineChangesNoSingleCell)
{
    DeviceImage image = start();
    const DeviceImage before = image;
    const LiveCell stopped; // before any reply
    for (InjectionMap map : {InjectionMap::Tp14, InjectionMap::Tp23, InjectionMap::Iap})
        for (int direction : {-1, +1})
            stepMap(image, map, direction, false, stopped);
    stepIgnitionCurve(image, +1, false, stopped);
    stepIgnitionCurve(image, -1, false, stopped);
    EXPECT_EQ(image, before);

    // The servo does not look at the engine: the first point moves.
    stepServoCurve(image, +1, false, stopped);
    EXPECT_EQ(differences(before, image), std::vector<std::size_t>{kNapPriv});
    EXPECT_EQ(image[kNapPriv], before[kNapPriv] + 1);
}

TEST(MapOperations, IgnitionBounds)
{
    DeviceImage image = start();
    const LiveCell live = runningAt(0, 4);
    image[kAdvance + 4] = 58;
    for (int i = 0; i < 5; ++i)
        stepIgnitionCurve(image, +1, false, live);
    EXPECT_EQ(image[kAdvance + 4], 60);
    EXPECT_EQ(image[kAdvance + 3], 40); // its neighbours stay

    // "All" stops only at the advance limit (100 for this model).
    put(image, kAdvance, Bytes(10, 95));
    for (int i = 0; i < 10; ++i)
        stepIgnitionCurve(image, +1, true, live);
    EXPECT_EQ(bytesAt(image, kAdvance, 10), Bytes(10, 100));

    put(image, kAdvance, {0, 1, 2, 0, 5, 0, 7, 0, 9, 0});
    stepIgnitionCurve(image, -1, true, live);
    EXPECT_EQ(bytesAt(image, kAdvance, 10), (Bytes{0, 0, 1, 0, 4, 0, 6, 0, 8, 0}));
}

TEST(MapOperations, ServoStaysWithinOneTo249)
{
    DeviceImage image = start();
    put(image, kNapPriv, {1, 5, 1, 5, 1, 5, 1, 5, 249, 248});
    stepServoCurve(image, -1, true, LiveCell{});
    EXPECT_EQ(bytesAt(image, kNapPriv, 10), (Bytes{1, 4, 1, 4, 1, 4, 1, 4, 248, 247}));
    put(image, kNapPriv, {1, 5, 1, 5, 1, 5, 1, 5, 249, 248});
    stepServoCurve(image, +1, true, LiveCell{});
    EXPECT_EQ(bytesAt(image, kNapPriv, 10), (Bytes{2, 6, 2, 6, 2, 6, 2, 6, 249, 249}));
}

TEST(MapOperations, ConnectedModeCarriesTheTp23Map)
{
    DeviceImage image = start();
    image[kTpsMode] = kTpModeConnected;
    image[kJetTpi + 7] = 250;
    stepMap(image, InjectionMap::Tp14, +1, true, LiveCell{});
    EXPECT_EQ(image[kJetTp + 7], 101);
    EXPECT_EQ(image[kJetTpi + 7], 250); // at its bound while the twin still rises
    EXPECT_EQ(image[kJetTpi + 8], 101);
    EXPECT_EQ(image[kJetIap + 8], 100);

    // A single cell: the TP23 twin at the live TP row and the live TP23 column.
    LiveCell live = runningAt(2, 3);
    live.tp23Column = 5;
    stepMap(image, InjectionMap::Tp14, -1, false, live);
    EXPECT_EQ(image[kJetTp + 23], 100);
    EXPECT_EQ(image[kJetTpi + 25], 100);
    EXPECT_EQ(image[kJetTpi + 23], 101);

    // The TP23 map's own operations never touch TP14; separate maps are separate.
    stepMap(image, InjectionMap::Tp23, +1, true, live);
    EXPECT_EQ(image[kJetTp + 23], 100);
    image[kTpsMode] = 0;
    stepMap(image, InjectionMap::Tp14, +1, true, live);
    EXPECT_EQ(image[kJetTpi + 23], 102);
    EXPECT_EQ(image[kJetTp + 23], 101);
}

TEST(MapOperations, SingleCellOfEachMap)
{
    DeviceImage image = start();
    const LiveCell live = runningAt(6, 2);
    const DeviceImage before = image;
    stepMap(image, InjectionMap::Iap, +1, false, live);
    stepMap(image, InjectionMap::Tp23, -1, false, live);
    EXPECT_EQ(differences(before, image), (std::vector<std::size_t>{kJetTpi + 62, kJetIap + 62}));
    image[kJetIap + 62] = 250;
    stepMap(image, InjectionMap::Iap, +1, false, live);
    EXPECT_EQ(image[kJetIap + 62], 250);
}

TEST(MapOperations, ColumnShiftsEveryRowOfOneColumn)
{
    for (InjectionMap map : {InjectionMap::Tp14, InjectionMap::Tp23, InjectionMap::Iap}) {
        DeviceImage image = start();
        image[kTpsMode] = 0;
        const std::size_t base = map == InjectionMap::Tp14   ? kJetTp
                                 : map == InjectionMap::Tp23 ? kJetTpi
                                                             : kJetIap;
        image[base + 10 * 9 + 4] = 0;
        const DeviceImage before = image;
        shiftColumn(image, map, 4, -1);
        std::vector<std::size_t> changed;
        for (int row = 0; row < 9; ++row)
            changed.push_back(base + static_cast<std::size_t>(10 * row + 4));
        EXPECT_EQ(differences(before, image), changed);
        shiftColumn(image, map, 4, +1);
        shiftColumn(image, map, 4, +1);
        EXPECT_EQ(image[base + 94], 2); // held at 0, then raised twice
        EXPECT_EQ(image[base + 4], 101);
    }
    DeviceImage image = start();
    image[kTpsMode] = kTpModeConnected;
    shiftColumn(image, InjectionMap::Tp14, 9, +1);
    EXPECT_EQ(image[kJetTpi + 99], 101);
    EXPECT_EQ(image[kJetTpi + 98], 100);
}

TEST(MapOperations, ThrottleCaptureWindows)
{
    DeviceImage image = start();
    EXPECT_TRUE(captureClosedThrottle(image, 2500));
    EXPECT_EQ(image[kTpsClosed], 250);
    EXPECT_TRUE(captureClosedThrottle(image, 309));
    EXPECT_EQ(image[kTpsClosed], 30);
    EXPECT_FALSE(captureClosedThrottle(image, 299));
    EXPECT_FALSE(captureClosedThrottle(image, 2501));
    EXPECT_EQ(image[kTpsClosed], 30);

    EXPECT_TRUE(captureOpenThrottle(image, 2500));
    EXPECT_EQ(image[kTpsOpen], 0);
    EXPECT_TRUE(captureOpenThrottle(image, 4600));
    EXPECT_EQ(image[kTpsOpen], 210);
    EXPECT_FALSE(captureOpenThrottle(image, 4610));
    EXPECT_FALSE(captureOpenThrottle(image, 2499));
    EXPECT_EQ(image[kTpsOpen], 210);
}

TEST(MapOperations, ConnectedModeNeedsEqualSpeedAxes)
{
    DeviceImage image = start();
    ASSERT_TRUE(setTpMode(image, kTpModeNormal));
    image[kRpmJetTpi + 9] = 161;
    EXPECT_FALSE(setTpMode(image, kTpModeConnected));
    EXPECT_EQ(image[kTpsMode], kTpModeNormal);
    EXPECT_TRUE(setTpMode(image, kTpMode23To14));
    EXPECT_EQ(image[kTpsMode], kTpMode23To14);
    image[kRpmJetTpi + 9] = 160;
    EXPECT_TRUE(setTpMode(image, kTpModeConnected));
    EXPECT_EQ(image[kTpsMode], kTpModeConnected);
}
