#pragma once

#include "model/triple.h"

#include <array>

// What the map analysis says, on the command line and in the review window.
namespace velmora::analysis::text {

// Tab-separated like the lines under it.
inline constexpr Triple kCellHeading{
    "mapa\třádek\tsloupec\tnyní\tnávrh\tzměna [%]\tváha",
    "map\trow\tcolumn\tcurrent\tproposed\tchange [%]\tweight",
    "Kennfeld\tZeile\tSpalte\taktuell\tVorschlag\tÄnderung [%]\tGewicht"};
// %1 target mV, %2 tolerance mV, %3 the target's lambda.
inline constexpr Triple kTarget{"Cíl %1 mV ± %2 mV (lambda %3)", "Target %1 mV ± %2 mV (lambda %3)",
                                "Ziel %1 mV ± %2 mV (Lambda %3)"};
inline constexpr Triple kNoVisited{"Žádná buňka nebyla navštívena.", "No cell was visited.",
                                   "Keine Zelle wurde besucht."};
// %1 cells with a proposal, %2 visited cells.
inline constexpr Triple kProposals{"Návrhy: %1 z %2 navštívených buněk",
                                   "Proposals: %1 of %2 visited cells",
                                   "Vorschläge: %1 von %2 besuchten Zellen"};
// %1 monitor rows, %2 trusted.
inline constexpr Triple kRows{"Řádky monitoru: %1, důvěryhodné: %2", "Monitor rows: %1, trusted: %2",
                              "Monitorzeilen: %1, vertrauenswürdig: %2"};
inline constexpr Triple kFiltersHeading{"Řádky vyřazené filtry:", "Rows removed by the filters:",
                                        "Von den Filtern entfernte Zeilen:"};

// One per filter, in the order of Filter; the placeholders are that filter's thresholds.
inline constexpr std::array<Triple, 8> kFilters{{
    {"studený motor (chladicí kapalina pod %1 °C)", "engine cold (coolant below %1 °C)",
     "Motor kalt (Kühlmittel unter %1 °C)"},
    {"lambda sonda neaktivní (na mezi %1 nebo %2 mV, nebo %3 stejných hodnot za sebou)",
     "lambda sensor inactive (at its rail %1 or %2 mV, or %3 equal readings in a row)",
     "Lambdasonde inaktiv (am Anschlag %1 oder %2 mV, oder %3 gleiche Werte in Folge)"},
    {"pracovní bod nestálý (méně než %1 odpovědí ve stejných buňkách)",
     "operating point not steady (fewer than %1 replies in the same cells)",
     "Betriebspunkt nicht stabil (weniger als %1 Antworten in denselben Zellen)"},
    {"akcelerace (plyn rychleji než %1 %/s a %2 s poté)",
     "acceleration (throttle faster than %1 %/s, and %2 s after)",
     "Beschleunigung (Gas schneller als %1 %/s und %2 s danach)"},
    {"vstřik na mezi (střída od %1 % nebo doba vstřiku 0)",
     "injection at its limit (duty from %1 % or an injection time of 0)",
     "Einspritzung am Anschlag (Tastverhältnis ab %1 % oder Einspritzzeit 0)"},
    {"volnoběh (pod %1 ot/min)", "idle (below %1 rpm)", "Leerlauf (unter %1 U/min)"},
    {"po zápisu (%1 s po programování nebo zápisu ladění)",
     "after a write (%1 s after programming or a tuning write)",
     "nach einem Schreiben (%1 s nach dem Programmieren oder einem Abstimmschreiben)"},
    {"chybějící hodnoty (otáčky, lambda nebo zatížení)", "values missing (rpm, lambda or load)",
     "fehlende Werte (Drehzahl, Lambda oder Last)"},
}};

// A --sensor file that cannot be read or holds no curve; %1 is the file.
inline constexpr Triple kSensorUnusable{
    "Soubor %1 neobsahuje použitelnou křivku sondy: na každém řádku milivolty a lambda, milivolty "
    "stoupající, nejméně dva řádky.",
    "%1 holds no usable sensor curve: each line millivolts and a lambda, the millivolts rising, at "
    "least two lines.",
    "%1 enthält keine brauchbare Sondenkennlinie: je Zeile Millivolt und ein Lambda, die Millivolt "
    "steigend, mindestens zwei Zeilen."};

} // namespace velmora::analysis::text
