#include "model/cells.h"
#include "model/grid_steps.h"
#include "model/parameter_set.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;
using namespace velmora::layout;

TEST(CellTable, CountsNamesAndEvents)
{
    const auto &cells = cellTable();
    ASSERT_EQ(cells.size(), kCellCount);
    std::set<std::string> names;
    int leave = 0, click = 0, none = 0;
    for (const CellDef &c : cells) {
        EXPECT_TRUE(names.insert(c.edit).second) << c.edit;
        EXPECT_TRUE(names.insert(c.upDown).second) << c.upDown;
        EXPECT_EQ(c.edit.substr(0, 4), "Edit");
        EXPECT_EQ(c.upDown, "UpDown" + c.edit.substr(4));
        EXPECT_LT(c.point, fieldDef(c.field).count) << c.edit;
        EXPECT_LT(c.min, c.max) << c.edit;
        leave += c.event == CellEvent::Leave;
        click += c.event == CellEvent::Click;
        none += c.event == CellEvent::None;
    }
    EXPECT_EQ(leave, 375);
    EXPECT_EQ(click, 29);
    EXPECT_EQ(none, 2);
    EXPECT_EQ(cells[findCell("EditRpmPulsu")].event, CellEvent::None);
    EXPECT_EQ(cells[findCell("EditRpmKorekce")].event, CellEvent::None);
    EXPECT_EQ(findCell("EditNothing"), -1);

    // Every point of every shown field has exactly one cell.
    std::set<std::pair<Field, int>> points;
    for (const CellDef &c : cells)
        EXPECT_TRUE(points.insert({c.field, c.point}).second) << c.edit;
    std::size_t expected = 0;
    for (const FieldDef &d : fieldTable())
        if (d.field != Field::Bike && d.field != Field::PrivEnable &&
            d.field != Field::BlokEnable && d.field != Field::TpsMode)
            expected += d.count;
    EXPECT_EQ(points.size(), expected);
}

TEST(CellTable, GroupedCellsAreTheNineSingleValues)
{
    std::set<std::string> grouped;
    for (const CellDef &c : cellTable())
        if (c.grouped)
            grouped.insert(c.edit);
    EXPECT_EQ(grouped, (std::set<std::string>{"EditOmez2", "Edit46", "EditKlapkaSani", "EditTps0",
                                              "EditTps100", "EditAkcelPrah", "EditAkcelJet",
                                              "EditLadeniRpm", "EditLadeniCas"}));
}

TEST(CellTable, PointerTablesKeepTheirIndexOrder)
{
    const std::vector<std::string> edits = editTableNames();
    ASSERT_EQ(edits.size(), kEditTableSize);
    const std::pair<std::size_t, const char *> expected[] = {
        {0, "LabelTps1"},       {9, "LabelTps10"},      {10, "LabelTps1i"},   {20, "LabelIap1"},
        {29, "LabelIap10"},     {30, "Edit1"},          {39, "Edit10"},       {40, "Edit11"},
        {49, "Edit20"},         {50, "EditRpmTps1"},    {60, "EditRpmTps1i"}, {69, "EditRpmTps10i"},
        {70, "EditRpmIap1"},    {80, "Edit50"},         {179, "Edit149"},     {180, "Edit50i"},
        {279, "Edit149i"},      {280, "Edit160"},       {379, "Edit259"},     {380, "EditRpmPriv1"},
        {390, "EditNapPriv1"},  {399, "EditNapPriv10"}, {400, "EditVoda_10"}, {404, "EditVoda110"},
        {405, "EditVzduch_10"}, {409, "EditVzduch110"},
    };
    for (const auto &[index, name] : expected)
        EXPECT_EQ(edits[index], name) << index;

    // Up-down index n belongs to the text box at edit index n + 30.
    for (std::size_t n = 0; n < kUpDownTableSize; ++n)
        EXPECT_EQ("UpDown" + edits[n + kRowLabelCount].substr(4), cellTable()[n].upDown);
    // TP23 cell of row r, column c: edit index 180 + 10 r + c, up-down index 150 + 10 r + c.
    const CellDef &cell23 = cellTable()[150 + 10 * 2 + 3];
    EXPECT_EQ(cell23.field, Field::JetTpi);
    EXPECT_EQ(cell23.point, 23);
    EXPECT_EQ(edits[180 + 23], "Edit73i");

    EXPECT_EQ(rowLabels()[0].caption, "0%");
    EXPECT_EQ(rowLabels()[9].caption, "100%");
    EXPECT_EQ(rowLabels()[12].caption, "5%");
    EXPECT_EQ(rowLabels()[20].caption, "10%");
}

namespace {

GridValues shown(const DeviceImage &image)
{
    GridValues values;
    showCells(image, values);
    return values;
}

DeviceImage defaults(std::uint8_t model)
{
    DeviceImage image;
    image[kBike] = model;
    applyDefaults(image);
    consistencyPass(image);
    return image;
}

} // namespace

TEST(GridSteps, TakeOverConvertsAndCutsToTheUnit)
{
    DeviceImage image = defaults(0);
    GridValues values = shown(image);
    values.position[findCell("Edit1")] = 1234;
    values.position[findCell("EditTps100")] = 4425;
    values.position[findCell("EditRpmKorekce")] = -60;
    values.position[findCell("EditSyticKorekce2")] = 350;
    values.position[findCell("EditAkcelJet")] = 2549;
    takeOverCells(image, values);
    EXPECT_EQ(image[kRpmAdv], 12);
    EXPECT_EQ(image[kTpsOpen], 192);
    EXPECT_EQ(image[kRpmCorrection], 40);
    EXPECT_EQ(image[kChokeCorrections + 2], 250);
    EXPECT_EQ(image[kAccelSize], 84);
}

TEST(GridSteps, ShowClampsToTheCellRange)
{
    DeviceImage image = defaults(1);
    image[kCooling] = 200;
    image[kNapPriv + 4] = 0;
    image[kRpmPulses] = 9;
    image[kTpsOpen] = 250;
    const GridValues values = shown(image);
    EXPECT_EQ(values.position[findCell("EditChlazeni")], 100);
    EXPECT_EQ(values.position[findCell("EditNapPriv5")], 20);
    EXPECT_EQ(values.position[findCell("EditRpmPulsu")], 6);
    EXPECT_EQ(values.position[findCell("EditTps100")], 4600);

    // Taking the shown values over stores what the cells show.
    GridValues copy = values;
    takeOverCells(image, copy);
    EXPECT_EQ(image[kCooling], 100);
    EXPECT_EQ(image[kNapPriv + 4], 1);
    EXPECT_EQ(image[kRpmPulses], 6);
    EXPECT_EQ(image[kTpsOpen], 210);
}

TEST(GridSteps, ModelBoxWithoutAnItemKeepsBike)
{
    DeviceImage image = defaults(0);
    image[kBike] = 7;
    GridValues values = shown(image);
    EXPECT_EQ(values.bikeItem, -1);
    takeOverCells(image, values);
    EXPECT_EQ(image[kBike], 7);

    values.bikeItem = 3;
    takeOverCells(image, values);
    EXPECT_EQ(image[kBike], 3);
}

TEST(GridSteps, ConnectedModeCarriesTp14ChangesIntoTp23)
{
    DeviceImage image = defaults(0);
    image[kTpsMode] = kTpModeConnected;
    const std::size_t e = 10 * 2 + 3;
    image[kJetTp + e] = 100;
    image[kJetTpi + e] = 120;
    GridValues values = shown(image);

    values.position[cell::kJetTp + e] = 105;
    takeOverCells(image, values);
    EXPECT_EQ(image[kJetTp + e], 105);
    EXPECT_EQ(image[kJetTpi + e], 125);
    EXPECT_EQ(values.position[cell::kJetTpi + e], 125);

    image[kJetTp + e] = 100;
    image[kJetTpi + e] = 120;
    values = shown(image);
    values.position[cell::kJetTp + e] = 250;
    takeOverCells(image, values);
    EXPECT_EQ(image[kJetTpi + e], 250);

    // Equal speed axes stay equal; a TP23 twin keeps its own offset within 300..20100 rpm.
    values = shown(image);
    values.position[cell::kRpmJetTp + 3] = 4500;
    takeOverCells(image, values);
    EXPECT_EQ(image[kRpmJetTp + 3], 45);
    EXPECT_EQ(image[kRpmJetTpi + 3], 45);
    EXPECT_EQ(values.position[cell::kRpmJetTpi + 3], 4500);

    image[kRpmJetTpi + 9] = 200; // TP23 lies 4000 rpm above TP14 at the last point
    values = shown(image);
    values.position[cell::kRpmJetTp + 9] = 19000;
    takeOverCells(image, values);
    EXPECT_EQ(values.position[cell::kRpmJetTpi + 9], 20100);
    EXPECT_EQ(image[kRpmJetTpi + 9], 201);

    // Unchanged TP14 cells leave what the user typed into TP23 alone.
    values = shown(image);
    values.position[cell::kJetTpi] = 77;
    takeOverCells(image, values);
    EXPECT_EQ(image[kJetTpi], 77);
}

TEST(GridSteps, SeparateModeDoesNotCouple)
{
    DeviceImage image = defaults(0);
    image[kTpsMode] = kTpModeNormal;
    GridValues values = shown(image);
    values.position[cell::kJetTp + 5] = 140;
    values.position[cell::kRpmJetTp + 3] = 4500;
    takeOverCells(image, values);
    EXPECT_EQ(image[kJetTpi + 5], 100);
    EXPECT_EQ(image[kRpmJetTpi + 3], 40);
}

// A consistent image whose every shown field lies within its cell's range passes through the
// cells unchanged.
TEST(GridSteps, EveryCellRoundTrips)
{
    std::mt19937 rng(406);
    std::uniform_int_distribution<int> limit(10, 125);
    int checked = 0;
    for (int round = 0; round < 300; ++round) {
        DeviceImage image = velmora::test::randomImage(rng);
        image[kAdvanceLimit] = static_cast<std::uint8_t>(limit(rng));
        for (const CellDef &c : cellTable()) {
            const int value = velmora::shownValue(image, c.field, c.point);
            setShownValue(image, c.field, std::clamp(value, c.min, c.max), c.point);
        }
        image[kBlokEnable] &= 1; // a check box holds 0 or 1
        image[kPrivEnable] &= 1;
        consistencyPass(image);
        const GridValues values = shown(image);
        bool inRange = true;
        for (std::size_t i = 0; i < kCellCount; ++i) {
            const CellDef &c = cellTable()[i];
            inRange = inRange && velmora::shownValue(image, c.field, c.point) == values.position[i];
        }
        if (!inRange)
            continue; // the pass moved a field out of its cell's range; not this test's case
        ++checked;
        DeviceImage back = image;
        GridValues copy = values;
        takeOverCells(back, copy);
        ASSERT_EQ(velmora::test::differences(image, back), std::vector<std::size_t>{})
            << "round " << round;
    }
    EXPECT_GT(checked, 250);
}

TEST(TpModeDisplay, CaptionsAndVisibilityByModeAndLanguage)
{
    TpModeDisplay d = tpModeDisplay(0, 1);
    EXPECT_TRUE(d.tp14Visible && d.tp23Visible && d.tp23Enabled && d.tp23EditorsVisible);
    EXPECT_EQ(d.tab14Caption, "TP Map 14");
    EXPECT_EQ(d.tab23Caption, "TP Map 23");

    d = tpModeDisplay(1, 0);
    EXPECT_TRUE(d.tp23Visible);
    EXPECT_FALSE(d.tp23Enabled);
    EXPECT_FALSE(d.tp23EditorsVisible);
    EXPECT_EQ(d.tab23Caption, "TP mapa 23 (s.)");
    EXPECT_EQ(tpModeDisplay(1, 2).tab23Caption, "TP Karte 23 (g.)");
    EXPECT_EQ(tpModeDisplay(1, 1).tab23Caption, "TP Map 23 (c.)");

    d = tpModeDisplay(2, 2);
    EXPECT_TRUE(d.tp14Visible);
    EXPECT_FALSE(d.tp23Visible);
    EXPECT_EQ(d.tab14Caption, "TP Karte 14");
    EXPECT_EQ(d.tab23Caption, "    ");
    EXPECT_EQ(tpModeDisplay(2, 0).tab23Caption, "   ");
    EXPECT_EQ(tpModeDisplay(2, 1).tab23Caption, "  ");

    d = tpModeDisplay(3, 0);
    EXPECT_FALSE(d.tp14Visible);
    EXPECT_TRUE(d.tp23Visible && d.tp23Enabled);
    EXPECT_EQ(d.tab14Caption, "    ");
    EXPECT_EQ(d.tab23Caption, "TP mapa 23");
}
