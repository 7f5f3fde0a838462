#pragma once

#include "files/file_texts.h"
#include "model/triple.h"

#include <QString>
#include <QStringList>

#include <span>

namespace velmora::ui {

inline QString pick(const Triple &triple, std::uint8_t language)
{
    return QString::fromUtf8(triple.pick(language));
}

// Each text of a list, such as a table's column heads, in the language.
inline QStringList pick(std::span<const Triple> triples, std::uint8_t language)
{
    QStringList list;
    for (const Triple &t : triples)
        list << pick(t, language);
    return list;
}

namespace text {
inline constexpr Triple kDefaultsQuestion{"Chcete nastavit základní hodnoty?",
                                          "Do you want default setting?",
                                          "Wollen Sie Standardeinstellungen öffnen?"};
inline constexpr Triple kTpAxesDiffer{"Otáčky TP14 a TP23 nejsou stejné !",
                                      "Rpm on TP14 and TP23 are not the same !",
                                      "Uneinig Rpm TP14 und TP23!"};
inline constexpr Triple kUndo{"&Zpět", "&Undo", "&Rückgängig"};
inline constexpr Triple kRedo{"Z&novu", "&Redo", "&Wiederholen"};
// %1: what the step did, "TP14 map 3000 rpm 10 %".
inline constexpr Triple kUndoStep{"&Zpět: %1", "&Undo %1", "&Rückgängig: %1"};
inline constexpr Triple kRedoStep{"Z&novu: %1", "&Redo %1", "&Wiederholen: %1"};
// Steps named by their command rather than by what they changed.
inline constexpr Triple kStepNew{"Nový", "New", "Neu"};
inline constexpr Triple kStepOpen{"Otevřít", "Open", "Öffnen"};
inline constexpr Triple kStepHistory{"Načtení z historie", "Load from history",
                                     "Laden aus dem Verlauf"};
// The file messages are the command-line tool's too.
using files::text::kFileVersionError;
using files::text::kOpenFileError;

// Ride logs.
inline constexpr Triple kStartLog{"Spus&tit záznam", "Start &log", "&Protokoll starten"};
inline constexpr Triple kStopLog{"Zas&tavit záznam", "Stop &log", "&Protokoll beenden"};
// %1 the elapsed time (hh:mm:ss), %2 the rows written.
inline constexpr Triple kLogStatus{"Záznam %1, řádků: %2", "Log %1, %2 rows",
                                   "Protokoll %1, %2 Zeilen"};
// %1 the log file.
inline constexpr Triple kLogDiskFull{
    "Záznam zastaven: disk je plný. Dosud zapsané řádky zůstaly v %1.",
    "Log stopped: the disk is full. The rows written so far are kept in %1.",
    "Protokoll angehalten: Der Datenträger ist voll. Die bisher geschriebenen Zeilen bleiben in "
    "%1."};
// %1 the log file, %2 the system's reason.
inline constexpr Triple kLogWriteFailed{
    "Záznam zastaven: soubor nelze zapsat (%2). Dosud zapsané řádky zůstaly v %1.",
    "Log stopped: the file cannot be written (%2). The rows written so far are kept in %1.",
    "Protokoll angehalten: Die Datei lässt sich nicht schreiben (%2). Die bisher geschriebenen "
    "Zeilen bleiben in %1."};
inline constexpr Triple kLogNotStarted{
    "Záznam nelze spustit: %1 nelze vytvořit (%2).",
    "The log cannot be started: %1 cannot be created (%2).",
    "Das Protokoll lässt sich nicht starten: %1 lässt sich nicht anlegen (%2)."};
inline constexpr Triple kLogNoFolder{
    "Záznam nelze spustit: není známa složka pro záznamy.",
    "The log cannot be started: no folder for logs is known.",
    "Das Protokoll lässt sich nicht starten: Kein Ordner für Protokolle ist bekannt."};
inline constexpr Triple kLogFilter{"Záznamy jízdy (*.csv)", "Ride logs (*.csv)",
                                   "Fahrtprotokolle (*.csv)"};
} // namespace text

} // namespace velmora::ui
