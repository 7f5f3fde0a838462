#include "step_names.h"

#include "cells.h"
#include "fields.h"
#include "grid_steps.h"

#include <algorithm>
#include <string>

namespace velmora {

namespace {

// How one point of a field is told apart from the others.
enum class PointKind : std::uint8_t {
    None,        // a single value: the field's name says it all
    Numbered,    // ", point 3"
    Speed,       // " 4000 rpm" from the field's speed axis
    MapCell,     // " 3000 rpm 10 %": speed from the axis, row from the map's row captions
    Temperature, // " 50 °C"
};

struct FieldName {
    Field field;
    Triple name;
    PointKind kind = PointKind::None;
    Field axis = Field::Bike; // the speed axis of a curve or map
    std::size_t firstRow = 0; // the map's first row caption
};

using enum PointKind;

const FieldName kNames[] = {
    {Field::Bike, {"Typ motocyklu", "Motorbike type", "Motorradtyp"}},
    {Field::RpmPulses, {"Pulzy na otáčku", "Pulses per revolution", "Impulse pro Umdrehung"}},
    {Field::RpmCorrection, {"Korekce otáček", "Speed correction", "Drehzahlkorrektur"}},
    {Field::Limiter2, {"Omezovač", "Limiter", "Begrenzer"}},
    {Field::PilotLight, {"Kontrolka řazení", "Gear shift light", "Schaltblitz"}},
    {Field::IntakeValve, {"Klapka sání", "Intake duct valve", "Ansaugluftklappe"}},
    {Field::PrivHyster, {"Hystereze serva", "Servo hysteresis", "Servo-Hysterese"}},
    {Field::PrivEnable, {"Povolit servo", "Servo enable", "Servo freigeben"}},
    {Field::BlokEnable, {"Povolit blokování", "Blocking enable", "Sperre freigeben"}},
    {Field::IapToTps, {"IAP na TPS", "IAP to TPS", "IAP zu TPS"}},
    {Field::TpsClosed, {"Napětí při 0 %", "Voltage at 0 %", "Spannung bei 0 %"}},
    {Field::TpsOpen, {"Napětí při 100 %", "Voltage at 100 %", "Spannung bei 100 %"}},
    {Field::AccelThreshold,
     {"Práh akceleračního přístřiku", "Acceleration injection threshold",
      "Akzelerationspritz Schwelle"}},
    {Field::AccelSize,
     {"Velikost akceleračního přístřiku", "Acceleration injection size",
      "Akzelerationspritz Größe"}},
    {Field::StartJet, {"Startovní přístřik", "Start injection", "Start Einspritz"}},
    {Field::Cooling, {"Chlazení", "Cooling", "Kühlung"}},
    {Field::TpsMode, {"Mód TP mapy", "TP map mode", "TP Karte Modus"}},
    {Field::ChokeTimes,
     {"Časy korekce po startu", "Starting correction times", "Anlaßkorrektur Zeiten"},
     Numbered},
    {Field::ChokeCorrections,
     {"Korekce po startu", "Starting corrections", "Anlaßkorrektionen"},
     Numbered},
    {Field::TuningLambda, {"Lambda požadovaná", "Lambda required", "Soll-Lambda"}},
    {Field::TuningHyster,
     {"Požadovaná přesnost lambdy", "Required accuracy of lambda", "Soll-Genauigkeit des Lambda"}},
    {Field::TuningRpm, {"Max odchylka RPM", "Max deviation RPM", "Max. Differenz RPM"}},
    {Field::TuningTps,
     {"Max odchylka TPS, IAP", "Max deviation TPS, IAP", "Max. Differenz TPS, IAP"}},
    {Field::TuningTime, {"Doba kroku ladění", "Tuning time step", "Schrittweite der Einstellung"}},
    {Field::WaterTemp, {"Chladicí kapalina", "Coolant", "Kühlmittel"}, Temperature},
    {Field::AirTemp, {"Nasávaný vzduch", "Inlet air", "Ansaugluft"}, Temperature},
    {Field::RpmAdv, {"Otáčky předstihu", "Advance speeds", "Vorzündung Drehzahlen"}, Numbered},
    {Field::Advance, {"Předstih", "Advance", "Vorzündung"}, Speed, Field::RpmAdv},
    {Field::RpmPriv, {"Otáčky serva", "Servo speeds", "Servo Drehzahlen"}, Numbered},
    {Field::NapPriv, {"Servo", "Servo", "Servo"}, Speed, Field::RpmPriv},
    {Field::RpmJetTp, {"Otáčky TP14 mapy", "TP14 map speeds", "TP14 Karte Drehzahlen"}, Numbered},
    {Field::RpmJetTpi, {"Otáčky TP23 mapy", "TP23 map speeds", "TP23 Karte Drehzahlen"}, Numbered},
    {Field::RpmJetIap, {"Otáčky IAP mapy", "IAP map speeds", "IAP Karte Drehzahlen"}, Numbered},
    {Field::JetTp, {"TP14 mapa", "TP14 map", "TP14 Karte"}, MapCell, Field::RpmJetTp, 0},
    {Field::JetTpi, {"TP23 mapa", "TP23 map", "TP23 Karte"}, MapCell, Field::RpmJetTpi, 10},
    {Field::JetIap, {"IAP mapa", "IAP map", "IAP Karte"}, MapCell, Field::RpmJetIap, 20},
};

constexpr Triple kPoint{"bod", "point", "Punkt"};
constexpr Triple kAnyChange{"Změna parametrů", "Change of parameters", "Parameteränderung"};

// The temperatures of the correction points, as the cells' captions give them.
constexpr int kTemperatures[] = {-10, 20, 50, 80, 110};

const FieldName *nameOf(Field field)
{
    const auto it = std::find_if(std::begin(kNames), std::end(kNames),
                                 [field](const FieldName &n) { return n.field == field; });
    return it == std::end(kNames) ? nullptr : &*it;
}

const FieldDef *fieldAt(std::size_t offset)
{
    for (const FieldDef &d : fieldTable())
        if (offset >= d.offset && offset < d.offset + d.count)
            return &d;
    return nullptr;
}

// "10%" as a row caption reads "10 %" in a sentence.
std::string rowText(std::size_t rowLabel)
{
    std::string caption = rowLabels()[rowLabel].caption;
    const std::size_t percent = caption.find('%');
    if (percent != std::string::npos)
        caption.insert(percent, " ");
    return caption;
}

// The place of point `index` of a field, the same in every language but for the word "point".
std::string pointText(const FieldName &n, std::size_t index, const DeviceImage &image,
                      std::uint8_t language)
{
    switch (n.kind) {
    case None:
        break;
    case Numbered:
        return std::string(", ") + kPoint.pick(language) + " " + std::to_string(index + 1);
    case Speed:
        return " " + std::to_string(shownValue(image, n.axis, index)) + " rpm";
    case MapCell: {
        const std::size_t row = index / layout::kMapSide;
        const std::size_t column = index % layout::kMapSide;
        return " " + std::to_string(shownValue(image, n.axis, column)) + " rpm " +
               rowText(n.firstRow + row);
    }
    case Temperature:
        return " " + std::to_string(kTemperatures[index]) + " °C";
    }
    return {};
}

} // namespace

StepName stepName(const Triple &name)
{
    return {name.pick(0), name.pick(1), name.pick(2)};
}

StepName describeChange(const DeviceImage &before, const DeviceImage &after)
{
    // A value no cell can show (the servo curve of a model without a servo holds 0 mV) is shown
    // in range, and the next take-over writes it back so whatever the user did: such bytes
    // change along with the first edit and say nothing about it.
    DeviceImage taken = before;
    GridValues shown;
    showCells(before, shown);
    takeOverCells(taken, shown);
    const DeviceImage &from = taken == after ? before : taken;

    std::size_t first = layout::kImageSize;
    const FieldDef *def = nullptr;
    for (std::size_t i = layout::kParameterStart; i < layout::kImageSize && !def; ++i)
        if (from[i] != after[i] && (def = fieldAt(i)))
            first = i;
    const FieldName *n = def ? nameOf(def->field) : nullptr;
    if (!n)
        return stepName(kAnyChange);
    std::size_t changed = 0;
    for (std::size_t k = 0; k < def->count; ++k)
        changed += from[def->offset + k] != after[def->offset + k];

    StepName name = stepName(n->name);
    if (changed == 1 && n->kind != None)
        for (std::uint8_t language = 0; language < name.size(); ++language)
            name[language] += pointText(*n, first - def->offset, after, language);
    return name;
}

} // namespace velmora
