// The wheel and the arrow keys on the cells and the model box, delivered as real events.
#include "input_events.h"
#include "window_fixture.h"

#include "model/parameter_set.h"

#include <QComboBox>
#include <QTabWidget>

#include <utility>
#include <vector>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::kNotch;
using velmora::test::turnWheel;

namespace {

class InputTest : public velmora::test::WindowTest {
protected:
    void SetUp() override
    {
        openShown();
        // The defaults hold bytes that their cells can only show clamped; the first take-over
        // of any event stores those, so the reference is the image after one event.
        window->UpDown1Click();
        before = window->image();
    }

    ui::CellEdit *focusCell(const char *cell)
    {
        ui::CellEdit *e = edit(cell);
        e->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(e->hasFocus()) << cell;
        return e;
    }

    // The image is what it was before but for `changes`; then it is the new reference.
    void expectOnlyChanged(const std::vector<std::pair<std::size_t, int>> &changes)
    {
        DeviceImage expected = before;
        for (const auto &[offset, value] : changes)
            expected[offset] = static_cast<std::uint8_t>(value);
        for (std::size_t i = 0; i < kImageSize; ++i)
            EXPECT_EQ(window->image()[i], expected[i]) << "byte " << i;
        before = window->image();
    }

    DeviceImage before;
};

} // namespace

TEST_F(InputTest, WheelOverTheModelBoxChangesNothing)
{
    auto *bike = find<QComboBox>(QStringLiteral("ComboBoxBike"));
    const int item = bike->currentIndex();
    // A typed value waits in a cell that takes it over when the focus leaves.
    type("Edit46", QStringLiteral("2000"));
    for (int angle : {-kNotch, -kNotch, 3 * kNotch})
        turnWheel(bike, angle);
    EXPECT_EQ(QApplication::focusWidget(), edit("Edit46"));
    expectOnlyChanged({});

    bike->setFocus(Qt::TabFocusReason);
    expectOnlyChanged({{kPilotLight, 20}});
    turnWheel(bike, -kNotch);
    EXPECT_EQ(bike->currentIndex(), item);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    upDown("UpDown11")->press(+1); // the next take-over keeps the model
    expectOnlyChanged({{kAdvance, before[kAdvance] + 1}});
}

TEST_F(InputTest, WheelOverACellWithoutFocusChangesNothing)
{
    type("Edit11", QStringLiteral("9"));
    for (const char *name : {"Edit12", "EditOmez2", "EditRpmPulsu"})
        turnWheel(edit(name), -2 * kNotch);
    for (const char *name : {"UpDown12", "UpDownOmez2", "UpDownRpmKorekce"})
        turnWheel(upDown(name), kNotch);
    EXPECT_EQ(QApplication::focusWidget(), edit("Edit11"));
    EXPECT_EQ(edit("Edit11")->text(), "9"); // nor did the focused cell step
    EXPECT_EQ(edit("EditRpmPulsu")->text(), QString::number(before[kRpmPulses]));
    expectOnlyChanged({});
}

TEST_F(InputTest, FocusedCellStepsAsItsButtonsDo)
{
    const int advance = before[kAdvance + 1];
    ui::CellEdit *e = focusCell("Edit12");
    QTest::keyClick(e, Qt::Key_Up);
    EXPECT_EQ(e->text(), QString::number(advance + 1));
    expectOnlyChanged({{kAdvance + 1, advance + 1}});
    QTest::keyClick(e, Qt::Key_Down);
    QTest::keyClick(e, Qt::Key_Down);
    expectOnlyChanged({{kAdvance + 1, advance - 1}});
    turnWheel(e, 2 * kNotch);
    turnWheel(upDown("UpDown12"), -kNotch); // its own buttons
    expectOnlyChanged({{kAdvance + 1, advance}});
    turnWheel(e, kNotch / 2); // a fine wheel steps once its turns make a notch
    expectOnlyChanged({});
    turnWheel(e, kNotch / 2);
    expectOnlyChanged({{kAdvance + 1, advance + 1}});

    // Grouped digits, the step of 100, and a typed, unconfirmed value as the base.
    e = focusCell("EditOmez2");
    turnWheel(e, -3 * kNotch);
    EXPECT_EQ(e->text(), "13,700");
    expectOnlyChanged({{kLimiter2, 137}});
    type("EditOmez2", QStringLiteral("9,950"));
    QTest::keyClick(e, Qt::Key_Up);
    EXPECT_EQ(e->text(), "10,000");
    expectOnlyChanged({{kLimiter2, 100}});

    // At its maximum the cell stays, and the steps still run: they take the pulse count over.
    type("EditOmez2", QStringLiteral("25000"));
    upDown("UpDownRpmPulsu")->press(+1);
    QTest::keyClick(e, Qt::Key_Up);
    EXPECT_EQ(e->text(), "25,000");
    expectOnlyChanged({{kLimiter2, 250}, {kRpmPulses, before[kRpmPulses] + 1}});
    EXPECT_EQ(QApplication::focusWidget(), e);
}

TEST_F(InputTest, CellsWithoutHandlerStepButTakeNothingOver)
{
    const int pulses = before[kRpmPulses];
    ui::CellEdit *e = focusCell("EditRpmPulsu");
    QTest::keyClick(e, Qt::Key_Up);
    turnWheel(e, kNotch);
    EXPECT_EQ(e->text(), QString::number(pulses + 2));
    type("EditRpmKorekce", QStringLiteral("-20"));
    QTest::keyClick(edit("EditRpmKorekce"), Qt::Key_Down);
    turnWheel(upDown("UpDownRpmKorekce"), -kNotch);
    EXPECT_EQ(edit("EditRpmKorekce")->text(), "-22");
    expectOnlyChanged({});

    QTest::keyClick(focusCell("Edit11"), Qt::Key_Up); // the next event stores both
    expectOnlyChanged(
        {{kRpmPulses, pulses + 2}, {kRpmCorrection, 78}, {kAdvance, before[kAdvance] + 1}});
}
