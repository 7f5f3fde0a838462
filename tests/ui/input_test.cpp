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

namespace {

using velmora::test::kNotch;
using velmora::test::turnWheel;

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

    // Brings the page that holds `cell` to the front and gives the cell the focus.
    ui::CellEdit *focusCell(const char *cell)
    {
        ui::CellEdit *e = edit(cell);
        auto *pages = find<QTabWidget>(QStringLiteral("PageControl1"));
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(e))
                pages->setCurrentIndex(i);
        e->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(e->hasFocus()) << cell;
        return e;
    }

    // The image is what it was before, but for `changes`; then the new image is the reference.
    void expectOnlyChanged(std::vector<std::pair<std::size_t, int>> changes)
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
    // A typed value waits in a cell whose leave event takes it over: the wheel must not move
    // the focus away from it.
    type("Edit46", QStringLiteral("2000"));
    for (int angle : {-kNotch, -kNotch, 3 * kNotch, -2 * kNotch}) {
        turnWheel(bike, angle);
        EXPECT_EQ(bike->currentIndex(), item);
        EXPECT_EQ(QApplication::focusWidget(), edit("Edit46"));
    }
    EXPECT_EQ(edit("Edit46")->text(), "2000");
    EXPECT_TRUE(dialogs.questions.isEmpty());
    expectOnlyChanged({});

    // Not even with the focus in the box itself.
    bike->setFocus(Qt::TabFocusReason);
    expectOnlyChanged({{kPilotLight, 20}});
    turnWheel(bike, -kNotch);
    turnWheel(bike, -kNotch);
    EXPECT_EQ(bike->currentIndex(), item);
    EXPECT_TRUE(dialogs.questions.isEmpty());

    // The next take-over finds the model that was chosen before.
    upDown("UpDown11")->press(+1);
    expectOnlyChanged({{kAdvance, before[kAdvance] + 1}});
    EXPECT_EQ(at(kBike), item);
}

TEST_F(InputTest, WheelOverACellWithoutFocusChangesNothing)
{
    type("Edit11", QStringLiteral("9"));
    const QString limiter = edit("EditOmez2")->text();
    for (const char *name : {"Edit12", "EditOmez2", "EditRpmPulsu"}) {
        turnWheel(edit(name), kNotch);
        turnWheel(edit(name), -2 * kNotch);
    }
    for (const char *name : {"UpDown12", "UpDownOmez2", "UpDownRpmKorekce"})
        turnWheel(upDown(name), kNotch);
    EXPECT_EQ(QApplication::focusWidget(), edit("Edit11"));
    EXPECT_EQ(edit("Edit11")->text(), "9"); // the focused cell did not step either
    EXPECT_EQ(edit("EditOmez2")->text(), limiter);
    EXPECT_EQ(edit("EditRpmKorekce")->text(), "0");
    expectOnlyChanged({});
}

TEST_F(InputTest, ArrowKeysAndWheelStepTheFocusedCellLikeItsButtons)
{
    const int advance = before[kAdvance + 1];
    ui::CellEdit *e = focusCell("Edit12");
    QTest::keyClick(e, Qt::Key_Up);
    EXPECT_EQ(e->text(), QString::number(advance + 1));
    expectOnlyChanged({{kAdvance + 1, advance + 1}});
    QTest::keyClick(e, Qt::Key_Down);
    QTest::keyClick(e, Qt::Key_Down);
    expectOnlyChanged({{kAdvance + 1, advance - 1}});

    // The wheel over the text box or over its own buttons.
    turnWheel(e, 2 * kNotch);
    expectOnlyChanged({{kAdvance + 1, advance + 1}});
    turnWheel(upDown("UpDown12"), -kNotch);
    expectOnlyChanged({{kAdvance + 1, advance}});
    // A fine wheel steps once its turns add up to a notch.
    turnWheel(e, kNotch / 2);
    expectOnlyChanged({});
    turnWheel(e, kNotch / 2);
    expectOnlyChanged({{kAdvance + 1, advance + 1}});
    EXPECT_EQ(QApplication::focusWidget(), e);

    // The same step as a click on the button does.
    const DeviceImage byKey = window->image();
    QTest::keyClick(e, Qt::Key_Down);
    upDown("UpDown12")->press(+1);
    EXPECT_EQ(window->image(), byKey);
}

TEST_F(InputTest, GroupedCellStepsByItsStepFromTheTypedValue)
{
    ui::CellEdit *e = focusCell("EditOmez2");
    ASSERT_EQ(e->text(), "14,000");
    QTest::keyClick(e, Qt::Key_Up);
    EXPECT_EQ(e->text(), "14,100");
    expectOnlyChanged({{kLimiter2, 141}});
    turnWheel(e, -3 * kNotch);
    EXPECT_EQ(e->text(), "13,800");
    expectOnlyChanged({{kLimiter2, 138}});

    // A typed, unconfirmed value is where the step starts, in either form.
    type("EditOmez2", QStringLiteral("15000"));
    turnWheel(e, kNotch);
    EXPECT_EQ(e->text(), "15,100");
    expectOnlyChanged({{kLimiter2, 151}});
    // 9,850 is then cut down to the field's unit.
    type("EditOmez2", QStringLiteral("9,950"));
    QTest::keyClick(e, Qt::Key_Down);
    EXPECT_EQ(e->text(), "9,800");
    expectOnlyChanged({{kLimiter2, 98}});
}

TEST_F(InputTest, CellAtItsMaximumStaysAndStillRunsTheAfterChangeStep)
{
    type("EditOmez2", QStringLiteral("25000"));
    QTest::keyClick(edit("EditOmez2"), Qt::Key_Return);
    ui::CellEdit *e = focusCell("EditOmez2");
    expectOnlyChanged({{kLimiter2, 250}});

    // A pulse count stepped on its own button waits for the next take-over.
    upDown("UpDownRpmPulsu")->press(+1);
    expectOnlyChanged({});
    QTest::keyClick(e, Qt::Key_Up);
    EXPECT_EQ(e->text(), "25,000");
    expectOnlyChanged({{kRpmPulses, before[kRpmPulses] + 1}});
    upDown("UpDownRpmPulsu")->press(+1);
    turnWheel(e, kNotch);
    EXPECT_EQ(e->text(), "25,000");
    expectOnlyChanged({{kRpmPulses, before[kRpmPulses] + 1}});
}

TEST_F(InputTest, CellsWithoutHandlerStepButTakeNothingOver)
{
    const int pulses = before[kRpmPulses];
    ui::CellEdit *e = focusCell("EditRpmPulsu");
    QTest::keyClick(e, Qt::Key_Up);
    turnWheel(e, kNotch);
    EXPECT_EQ(e->text(), QString::number(pulses + 2));
    expectOnlyChanged({});

    // Nothing else is taken over by them either: a value typed into a leave cell stays typed.
    type("EditRpmKorekce", QStringLiteral("-20"));
    QTest::keyClick(edit("EditRpmKorekce"), Qt::Key_Down);
    turnWheel(upDown("UpDownRpmKorekce"), -kNotch);
    EXPECT_EQ(edit("EditRpmKorekce")->text(), "-22");
    expectOnlyChanged({});

    // The next event that takes over stores both.
    ui::CellEdit *advance = focusCell("Edit11");
    QTest::keyClick(advance, Qt::Key_Up);
    expectOnlyChanged(
        {{kRpmPulses, pulses + 2}, {kRpmCorrection, 78}, {kAdvance, before[kAdvance] + 1}});
}

TEST_F(InputTest, CellsOnEveryPageStepByTheirOwnStep)
{
    // Cell, its byte, and what one step up stores, from each page that has cells.
    window->image()[kTpsMode] = kTpModeNormal; // the TP23 map takes input only when uncoupled
    window->showStep();
    before = window->image();
    const std::tuple<const char *, std::size_t, int> cells[] = {
        {"Edit1", kRpmAdv, 1},          {"EditRpmTps3", kRpmJetTp + 2, 1},
        {"Edit73", kJetTp + 23, 1},     {"Edit149i", kJetTpi + 99, 1},
        {"Edit160", kJetIap, 1},        {"EditIapToTps", kIapToTps, 1},
        {"EditTps100", kTpsOpen, 1},    {"EditAkcelJet", kAccelSize, 1},
        {"EditStartJet", kStartJet, 1}, {"EditVzduch50", kAirTemp + 2, 1},
    };
    for (const auto &[name, offset, stored] : cells) {
        SCOPED_TRACE(name);
        const int was = before[offset];
        ui::CellEdit *e = focusCell(name);
        QTest::keyClick(e, Qt::Key_Up);
        expectOnlyChanged({{offset, was + stored}});
        turnWheel(e, -kNotch);
        expectOnlyChanged({{offset, was}});
    }
}
