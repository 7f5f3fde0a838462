#include "input_events.h"

#include "app/application.h"
#include "ui/controls.h"
#include "ui/gauge.h"
#include "ui/up_down.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmora::ui;
using velmora::test::turnWheel;

TEST(CellText, FormatsAndParsesBothForms)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(formatCellValue(15000, true, english), "15,000");
    EXPECT_EQ(formatCellValue(999, true, english), "999");
    EXPECT_EQ(formatCellValue(15000, false, english), "15000");
    EXPECT_EQ(formatCellValue(-60, false, english), "-60");

    int v = 0;
    EXPECT_TRUE(parseCellValue(QStringLiteral("15,000"), v, english));
    EXPECT_EQ(v, 15000);
    EXPECT_TRUE(parseCellValue(QStringLiteral(" 1234 "), v, english));
    EXPECT_EQ(v, 1234);
    EXPECT_TRUE(parseCellValue(QStringLiteral("-60"), v, english));
    EXPECT_EQ(v, -60);
    for (const char *bad : {"", "12a", "1.5", "abc", "99999999999"})
        EXPECT_FALSE(parseCellValue(QString::fromUtf8(bad), v, english)) << bad;

    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formatCellValue(15000, true, german), "15.000");
    EXPECT_TRUE(parseCellValue(QStringLiteral("15.000"), v, german));
    EXPECT_EQ(v, 15000);
}

TEST(UpDown, PositionComesFromTheTextWhenValid)
{
    QLineEdit edit;
    UpDown upDown(&edit, 300, 20100, 100, false);
    upDown.setPosition(1000);
    EXPECT_EQ(edit.text(), "1000");
    edit.setText(QStringLiteral("1234"));
    EXPECT_EQ(upDown.position(), 1234);
    edit.setText(QStringLiteral("30000"));
    EXPECT_EQ(upDown.position(), 1234);
    edit.setText(QStringLiteral("junk"));
    EXPECT_EQ(upDown.position(), 1234);
    upDown.setPosition(50);
    EXPECT_EQ(edit.text(), "300");

    QSignalSpy clicks(&upDown, &UpDown::clicked);
    edit.setText(QStringLiteral("20050"));
    upDown.press(+1);
    EXPECT_EQ(upDown.position(), 20100);
    upDown.press(-1);
    EXPECT_EQ(edit.text(), "20000");
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_TRUE(clicks[0][0].toBool());
    EXPECT_FALSE(clicks[1][0].toBool());
}

TEST(UpDown, MouseOnTheHalvesStepsUpAndDown)
{
    QLineEdit edit;
    UpDown upDown(&edit, 0, 250, 1, false);
    upDown.resize(12, 20);
    upDown.setPosition(100);
    QTest::mouseClick(&upDown, Qt::LeftButton, {}, QPoint(5, 3));
    EXPECT_EQ(upDown.position(), 101);
    QTest::mouseClick(&upDown, Qt::LeftButton, {}, QPoint(5, 17));
    QTest::mouseClick(&upDown, Qt::LeftButton, {}, QPoint(5, 17));
    EXPECT_EQ(upDown.position(), 99);
}

TEST(UpDown, OnlyPlainArrowKeysOnAnEnabledControlPressIt)
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    auto *upDown = new UpDown(edit, 0, 10, 2, false, &window);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    upDown->setPosition(4);
    QSignalSpy clicks(upDown, &UpDown::clicked);
    edit->setFocus(Qt::TabFocusReason);

    QTest::keyClick(edit, Qt::Key_Up, Qt::KeypadModifier);
    QTest::keyClick(edit, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Down, Qt::ControlModifier);
    upDown->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_Down);
    turnWheel(edit, -velmora::test::kNotch);
    EXPECT_EQ(upDown->position(), 6);
    EXPECT_EQ(clicks.size(), 1);
}

TEST(Gauge, HoldsProgressWithinItsRange)
{
    Gauge gauge;
    gauge.setRange(0, 100);
    gauge.setProgress(150);
    EXPECT_EQ(gauge.progress(), 100);
    gauge.setProgress(-5);
    EXPECT_EQ(gauge.progress(), 0);
    gauge.setProgress(42);
    gauge.setRange(0, 5);
    EXPECT_EQ(gauge.progress(), 5);
}

TEST(CellEdit, ReportsEnterClickAndLeaving)
{
    QWidget window;
    auto *edit = new CellEdit(&window);
    auto *other = new QLineEdit(&window);
    (void)other;
    QSignalSpy enter(edit, &CellEdit::enterPressed);
    QSignalSpy clicked(edit, &CellEdit::clicked);
    QSignalSpy left(edit, &CellEdit::left);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(clicked.size(), 1);
    QTest::keyClicks(edit, QStringLiteral("12"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(enter.size(), 1);
    EXPECT_EQ(edit->text(), "12");
    EXPECT_EQ(left.size(), 0);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(left.size(), 1);
}

TEST(Application, AnExceptionIsReportedAndWorkGoesOn)
{
    QStringList reports;
    const auto report = [&reports](const QString &text) { reports << text; };
    EXPECT_TRUE(velmora::app::runGuarded([] { return true; }, report));
    EXPECT_FALSE(velmora::app::runGuarded(
        []() -> bool { throw std::runtime_error("missing control Edit7"); }, report));
    EXPECT_FALSE(velmora::app::runGuarded([]() -> bool { throw 42; }, report));
    EXPECT_EQ(reports, (QStringList{QStringLiteral("missing control Edit7"),
                                    QStringLiteral("Unknown error")}));
}
