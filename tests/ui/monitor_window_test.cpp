#include "window_fixture.h"

#include "link/monitor_layout.h"
#include "ui/gauge.h"

#include <QGroupBox>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

namespace {
QColor background(QWidget *w)
{
    return w->palette().color(QPalette::Window);
}
QColor base(QWidget *w)
{
    return w->palette().color(QPalette::Base);
}
} // namespace

TEST_F(WindowTest, MonitorDisplayReachesItsLabelsAndGauges)
{
    open({QStringLiteral("ENGLISH")});
    link::MonitorDisplay d;
    d.rpm = {"RPM = 4321 ", link::Colour::Red};
    d.coolant = {"TW= 100 [°C]", link::Colour::Yellow};
    d.crankPickup = {"Pick-up (CKPS) - is running", link::Colour::Lime};
    d.ambientPressure = {"AP = 99.5 [kPa]", std::nullopt};
    d.supplyCorrection = {"U correction= -50 us", std::nullopt};
    d.tests[2] = "Test3 = 9 ";
    d.version = "Unmatched version of PC and Ignition programs!  PC-43, IGN-41";
    d.versionVisible = true;
    d.dataErrorVisible = true;
    d.rpmGauge = 40;
    d.coolantGauge = 100;
    d.coolantGaugeColour = link::Colour::Yellow;
    d.dutyGauge = 120;
    d.dutyGaugeColour = link::Colour::Yellow;

    auto *tlak = find<QLabel>(QStringLiteral("LabelTlak"));
    const QColor tlakBefore = background(tlak);
    window->showMonitor(d);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelRpm"))->text(), "RPM = 4321 ");
    EXPECT_EQ(background(find<QLabel>(QStringLiteral("LabelRpm"))), QColor(0xff, 0, 0));
    EXPECT_EQ(background(find<QLabel>(QStringLiteral("LabelVoda"))), QColor(0xff, 0xff, 0));
    EXPECT_EQ(background(find<QLabel>(QStringLiteral("LabelSnimacCkps"))), QColor(0, 0xff, 0));
    EXPECT_EQ(tlak->text(), "AP = 99.5 [kPa]");
    EXPECT_EQ(background(tlak), tlakBefore);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelKorNapeti"))->text(), "U correction= -50 us");
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelTest3"))->text(), "Test3 = 9 ");
    EXPECT_FALSE(find<QLabel>(QStringLiteral("LabelVersion"))->isHidden());
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelVersion"))->text(),
              QString::fromStdString(d.version));
    EXPECT_FALSE(find<QLabel>(QStringLiteral("LabelEeDataErr"))->isHidden());
    EXPECT_EQ(find<ui::Gauge>(QStringLiteral("CGaugeRpm"))->progress(), 40);
    EXPECT_EQ(find<ui::Gauge>(QStringLiteral("CGaugeVoda"))->foreColor(), QColor(0xff, 0xff, 0));
    EXPECT_EQ(find<ui::Gauge>(QStringLiteral("CGaugeDuty"))->progress(), 100);
    // Model 0 hides the servo group, and with it the servo labels.
    EXPECT_TRUE(find<QLabel>(QStringLiteral("LabelPriveraPoz"))->isHidden());

    d.versionVisible = false;
    window->showMonitor(d);
    EXPECT_TRUE(find<QLabel>(QStringLiteral("LabelVersion"))->isHidden());
}

TEST_F(WindowTest, LiveCellsAreColouredThroughThePointerTable)
{
    open();
    link::Marking marks{};
    marks[0] = link::Mark::Lime;                                    // LabelTps1
    marks[kRowLabelCount + cell::kJetTp + 43] = link::Mark::Yellow; // Edit93
    marks[kRowLabelCount + cell::kRpmAdv + 2] = link::Mark::Lime;   // Edit3
    window->markLiveCells(marks);
    EXPECT_EQ(background(find<QLabel>(QStringLiteral("LabelTps1"))), QColor(0, 0xff, 0));
    EXPECT_EQ(base(edit("Edit93")), QColor(0xff, 0xff, 0));
    EXPECT_EQ(base(edit("Edit3")), QColor(0, 0xff, 0));
    const QColor plain = base(edit("Edit4"));

    marks[kRowLabelCount + cell::kJetTp + 43] = link::Mark::None;
    window->markLiveCells(marks);
    EXPECT_EQ(base(edit("Edit93")), plain);
    // Marking never touches the values.
    EXPECT_EQ(edit("Edit93")->text(), "100");
}
