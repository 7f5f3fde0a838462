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

// The line under it, one per reason the port would not open: %1 is the device, %2 the system's
// words or the adapters present.
inline constexpr Triple kOpenPermission{
    "K zařízení %1 nemáte oprávnění. Přidejte se do skupiny dialout (např. sudo adduser $USER "
    "dialout) a přihlaste se znovu.",
    "No permission to open %1. Join the dialout group (e.g. sudo adduser $USER dialout) and log "
    "in again.",
    "Keine Berechtigung für %1. Treten Sie der Gruppe dialout bei (z. B. sudo adduser $USER "
    "dialout) und melden Sie sich neu an."};
inline constexpr Triple kOpenBusy{
    "Zařízení %1 drží jiný program. Ukončete ho a zvolte port znovu.",
    "%1 is held by another program. Close that program and choose the port again.",
    "%1 wird von einem anderen Programm belegt. Beenden Sie es und wählen Sie den Port erneut."};
inline constexpr Triple kOpenMissing{
    "Zařízení %1 neexistuje. %2 Převodník lze přiřadit k číslu portu v nabídce Port, položka "
    "Nastavení portů.",
    "%1 does not exist. %2 Port setup in the Com menu can assign an adapter to a COM number.",
    "%1 existiert nicht. %2 Port-Einstellungen im Menü ComPort können einen Adapter einer "
    "COM-Nummer zuordnen."};
inline constexpr Triple kUsbAdapters{"Připojené USB sériové převodníky: %1.",
                                     "USB serial adapters present: %1.",
                                     "Vorhandene USB-Seriell-Adapter: %1."};
inline constexpr Triple kNoUsbAdapter{"Není připojen žádný USB sériový převodník.",
                                      "No USB serial adapter is present.",
                                      "Es ist kein USB-Seriell-Adapter vorhanden."};
inline constexpr Triple kOpenOther{"Zařízení %1 nelze otevřít: %2", "%1 cannot be opened: %2",
                                   "%1 kann nicht geöffnet werden: %2"};
// Stands for the device when a port names none.
inline constexpr Triple kNoDevice{"(žádné zařízení)", "(no device)", "(kein Gerät)"};

} // namespace velmora::link::text
