#pragma once

#include "model/triple.h"

namespace velmora::link::text {

inline constexpr Triple kProgramStart{"Programování:", "Program device:", "Programmieren:"};
inline constexpr Triple kVerifyStart{"Verifikace:", "Verify device:", "Vergleichen:"};
inline constexpr Triple kReadStart{"Čtení:", "Read device:", "Lesen:"};
inline constexpr Triple kVerifyPass{"Verifikace:", "Verify device:", "Verifikation:"};
inline constexpr Triple kVerifyOk{"Verifikace OK", "Verify OK", "Vergleich OK"};
inline constexpr Triple kTuningOk{"Programování OK", "Program OK", "Programmieren OK"};
inline constexpr Triple kReadRefused{"Zákaz čtení!", "No Reading!", "Lesen verboten!"};
inline constexpr Triple kProgramTimeout{"Chyba programování", "Program error!",
                                        "Programmier. Fehler"};
inline constexpr Triple kVerifyTimeout{"Chyba verifikace!", "Verify error!", "Vergleichsfehler"};
inline constexpr Triple kReadTimeout{"Chyba čtení!", "Read error!", "Lesefehler"};
// A transaction cut short because the port failed under it (cable unplugged, adapter gone).
inline constexpr Triple kLineLost{
    "Spojení s jednotkou ztraceno: port byl uzavřen",
    "Connection to the unit lost: the port was closed",
    "Verbindung zum Steuergerät verloren: der Port wurde geschlossen"};
inline constexpr Triple kVersionMismatch{"Neshodné verze proramu v PC a zapalování!",
                                         "Unmatched version of PC and Ignition programs!",
                                         "Uneinig Version von den PC and Zündung Programme!"};
inline constexpr Triple kModelRefused{"Toto zapalování není pro zvolený typ motocyklu!",
                                      "These Ignition is not for this type of motorbikes!",
                                      "Diese Zündung ist nicht for gestellte Motorrad!"};
// The version text the monitor puts in front of the two version numbers.
inline constexpr Triple kStoredVersionMismatch{
    "Neshodné verze proramu v PC a v zapalování!", "Unmatched version of PC and Ignition programs!",
    "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!"};
inline constexpr Triple kSaving{"Ukládání:", "Saving:", "Speicherung:"};
inline constexpr Triple kProgramDone{"Programování:", "Program device:", "Programmieren:"};

// The one message with a single wording.
inline constexpr const char *kComOpeningError = "Com opening error";

} // namespace velmora::link::text
