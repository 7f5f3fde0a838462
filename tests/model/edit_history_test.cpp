#include "model/edit_history.h"
#include "model/fields.h"
#include "model/parameter_set.h"
#include "model/step_names.h"
#include "test_images.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::layout;

namespace {

DeviceImage start()
{
    return velmora::test::defaultSet(1);
}

StepName named(const char *english)
{
    return {"cz", english, "de"};
}

} // namespace

TEST(EditHistory, UndoAndRedoWalkThroughEveryStepExactly)
{
    EditHistory history;
    std::vector<DeviceImage> states{start()};
    DeviceImage image = states.back();
    // Steps of one byte, of a whole map and of bytes no field names.
    image[kLimiter2] += 3;
    states.push_back(image);
    for (std::size_t i = 0; i < kMapCells; ++i)
        image[kJetTp + i] = static_cast<std::uint8_t>(i);
    states.push_back(image);
    image[kReserved[0].first] ^= 0xFF;
    image[kJetIap + 99] += 1;
    states.push_back(image);
    for (std::size_t k = 1; k < states.size(); ++k)
        ASSERT_TRUE(history.record(states[k - 1], states[k], named(std::to_string(k).c_str())));
    ASSERT_EQ(history.undoCount(), 3u);

    for (std::size_t k = states.size() - 1; k > 0; --k) {
        EXPECT_EQ(history.undoName()[1], std::to_string(k));
        ASSERT_TRUE(history.undo(image));
        EXPECT_EQ(image, states[k - 1]) << k;
    }
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.undo(image));
    EXPECT_EQ(image, states.front());

    for (std::size_t k = 1; k < states.size(); ++k) {
        EXPECT_EQ(history.redoName()[1], std::to_string(k));
        ASSERT_TRUE(history.redo(image));
        EXPECT_EQ(image, states[k]) << k;
    }
    EXPECT_FALSE(history.canRedo());
    EXPECT_FALSE(history.redo(image));
}

TEST(EditHistory, ANewStepEndsTheRedoListAndAnUnchangedSetIsNoStep)
{
    EditHistory history;
    DeviceImage a = start();
    DeviceImage b = a;
    b[kAdvance + 4] += 2;
    EXPECT_FALSE(history.record(a, a, named("none")));
    // The identity block is the unit's: a change there alone is no step either.
    DeviceImage unitSaid = a;
    unitSaid[id::kVersion] += 1;
    EXPECT_FALSE(history.record(a, unitSaid, named("identity")));
    EXPECT_FALSE(history.canUndo());

    ASSERT_TRUE(history.record(a, b, named("advance")));
    DeviceImage image = b;
    ASSERT_TRUE(history.undo(image));
    ASSERT_TRUE(history.canRedo());
    DeviceImage c = a;
    c[kCooling] += 1;
    ASSERT_TRUE(history.record(a, c, named("cooling")));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.undoName()[1], "cooling");
}

TEST(EditHistory, BytesChangedSinceAStepStayWhenItIsUndoneOrRedone)
{
    EditHistory history;
    const DeviceImage a = start();
    DeviceImage b = a;
    b[kJetTp + 5] = 200;
    b[kJetTp + 6] = 201;
    b[kJetTp + 7] = 202;
    ASSERT_TRUE(history.record(a, b, named("map")));

    // The unit's set came in since: cell 6 as the unit holds it, cell 7 back to what it was.
    DeviceImage image = b;
    image[kJetTp + 6] = 99;
    image[kJetTp + 7] = a[kJetTp + 7];
    ASSERT_TRUE(history.undo(image));
    EXPECT_EQ(image[kJetTp + 5], a[kJetTp + 5]);
    EXPECT_EQ(image[kJetTp + 6], 99);
    EXPECT_EQ(image[kJetTp + 7], a[kJetTp + 7]);

    // Redo finds cell 6 changed again by a tuning write; cell 7 still holds the old value.
    image[kJetTp + 6] = 98;
    ASSERT_TRUE(history.redo(image));
    EXPECT_EQ(image[kJetTp + 5], 200);
    EXPECT_EQ(image[kJetTp + 6], 98);
    EXPECT_EQ(image[kJetTp + 7], 202);
}

TEST(EditHistory, KeepsAThousandStepsAndForgetsOnlyBeyondItsDepth)
{
    EditHistory history;
    const DeviceImage first = start();
    DeviceImage image = first;
    constexpr int kSteps = 1000;
    for (int k = 0; k < kSteps; ++k) {
        const DeviceImage before = image;
        image[kJetTp + static_cast<std::size_t>(k % 100)] += 1;
        image[kAdvance + static_cast<std::size_t>(k % 10)] ^= static_cast<std::uint8_t>(k);
        ASSERT_TRUE(history.record(before, image, named("step")));
    }
    EXPECT_EQ(history.undoCount(), static_cast<std::size_t>(kSteps));
    int undone = 0;
    while (history.undo(image))
        ++undone;
    EXPECT_EQ(undone, kSteps);
    EXPECT_EQ(image, first);

    EditHistory shallow(3);
    DeviceImage s = first;
    for (std::uint8_t v = 1; v <= 5; ++v) {
        const DeviceImage before = s;
        s[kCooling] = v;
        shallow.record(before, s, named(std::to_string(v).c_str()));
    }
    EXPECT_EQ(shallow.undoCount(), 3u);
    while (shallow.undo(s)) {
    }
    EXPECT_EQ(s[kCooling], 2); // steps 3, 4 and 5 taken back; 1 and 2 forgotten
}

TEST(StepNames, OnePointIsNamedWithItsPlace)
{
    const DeviceImage a = start();
    const auto change = [&a](std::size_t offset, int by) {
        DeviceImage b = a;
        b[offset] = static_cast<std::uint8_t>(b[offset] + by);
        return describeChange(a, b);
    };
    DeviceImage axes = a;
    setShownValue(axes, Field::RpmJetTp, 3000, 3);
    DeviceImage cell = axes;
    cell[kJetTp + 10 * 3 + 3] += 1; // row 3 of the TP rows: 10 %
    EXPECT_EQ(describeChange(axes, cell),
              (StepName{"TP14 mapa 3000 rpm 10 %", "TP14 map 3000 rpm 10 %",
                        "TP14 Karte 3000 rpm 10 %"}));

    setShownValue(axes, Field::RpmAdv, 4000, 6);
    DeviceImage advance = axes;
    advance[kAdvance + 6] += 1;
    EXPECT_EQ(describeChange(axes, advance)[1], "Advance 4000 rpm");

    EXPECT_EQ(change(kJetTpi + 99, 1)[1],
              "TP23 map " + std::to_string(shownValue(a, Field::RpmJetTpi, 9)) + " rpm 100 %");
    EXPECT_EQ(change(kJetIap + 0, 1)[2],
              "IAP Karte " + std::to_string(shownValue(a, Field::RpmJetIap, 0)) + " rpm 10 %");
    EXPECT_EQ(change(kWaterTemp + 0, 1)[1], "Coolant -10 °C");
    EXPECT_EQ(change(kAirTemp + 4, 1)[0], "Nasávaný vzduch 110 °C");
    EXPECT_EQ(change(kChokeCorrections + 1, 1)[2], "Anlaßkorrektionen, Punkt 2");
    EXPECT_EQ(change(kRpmAdv + 2, 1)[1], "Advance speeds, point 3");
    EXPECT_EQ(change(kLimiter2, 1)[1], "Limiter");
    EXPECT_EQ(change(kTpsMode, 1)[1], "TP map mode");
}

TEST(StepNames, SeveralPointsNameTheFirstFieldAlone)
{
    const DeviceImage a = start();
    DeviceImage map = a;
    map[kJetTp + 4] += 1;
    map[kJetTp + 50] += 1;
    EXPECT_EQ(describeChange(a, map)[1], "TP14 map");

    // A TP14 cell carried into its TP23 twin: the TP14 cell comes first.
    DeviceImage coupled = a;
    coupled[kJetTp + 12] += 1;
    coupled[kJetTpi + 12] += 1;
    EXPECT_EQ(describeChange(a, coupled)[1].rfind("TP14 map ", 0), 0u);

    DeviceImage curve = a;
    curve[kAdvance + 1] += 1;
    curve[kAdvance + 2] += 1;
    EXPECT_EQ(describeChange(a, curve)[0], "Předstih");

    DeviceImage reserved = a;
    reserved[kReserved[0].first] += 1;
    EXPECT_EQ(describeChange(a, reserved)[1], "Change of parameters");
    EXPECT_EQ(stepName({"Otevřít", "Open", "Öffnen"}), (StepName{"Otevřít", "Open", "Öffnen"}));
}

TEST(StepNames, ValuesTheCellsPutInRangeDoNotNameTheStep)
{
    // Model 0 has no servo: its servo curve holds 0 mV, which no cell shows, and the first
    // take-over writes the cells' lowest value there along with whatever the user changed.
    const DeviceImage a = velmora::test::defaultSet(0);
    ASSERT_EQ(a[kNapPriv], 0);
    DeviceImage b = a;
    for (std::size_t k = 0; k < kCurvePoints; ++k)
        b[kNapPriv + k] = 1;
    EXPECT_EQ(describeChange(a, b)[1], "Servo");
    b[kLimiter2] += 1;
    EXPECT_EQ(describeChange(a, b)[1], "Limiter");
}
