#pragma once

#include "model/triple.h"
#include "ride_log.h"

#include <cstdint>
#include <string>

// What the log viewer and the command-line tool say about a ride log they read.
namespace velmora::log::text {

// Why a log cannot be opened; %1 is the file, %2 the system's reason.
inline constexpr Triple kLogUnreadable{"Záznam jízdy %1 nelze přečíst: %2",
                                       "The ride log %1 cannot be read: %2",
                                       "Die Fahrtaufzeichnung %1 kann nicht gelesen werden: %2"};
inline constexpr Triple kLogEmpty{"Záznam jízdy %1 neobsahuje žádný řádek.",
                                  "The ride log %1 holds no rows.",
                                  "Die Fahrtaufzeichnung %1 enthält keine Zeilen."};
inline constexpr Triple kNotALog{
    "Soubor %1 není záznam jízdy: v záhlaví chybí sloupec času \"time [ISO 8601]\".",
    "%1 is not a ride log: its header has no time column \"time [ISO 8601]\".",
    "%1 ist keine Fahrtaufzeichnung: der Kopfzeile fehlt die Zeitspalte \"time [ISO 8601]\"."};
// Under a log that opened: %1 is the number of rows dropped as cut off or malformed.
inline constexpr Triple kRowsSkipped{"Vynechané poškozené nebo neúplné řádky: %1",
                                     "Rows skipped as damaged or incomplete: %1",
                                     "Übersprungene beschädigte oder unvollständige Zeilen: %1"};

// The message for a log that was refused; nothing for one that opened.
constexpr const Triple *problemText(LogProblem problem)
{
    switch (problem) {
    case LogProblem::None:
        return nullptr;
    case LogProblem::Unreadable:
        return &kLogUnreadable;
    case LogProblem::Empty:
        return &kLogEmpty;
    case LogProblem::NotALog:
        return &kNotALog;
    }
    return &kNotALog;
}

// Why the log at `file` cannot be opened, in the user's language; empty for a log that opened.
inline std::string problemMessage(const LogReadResult &result, const std::string &file,
                                  std::uint8_t language)
{
    const Triple *text = problemText(result.problem);
    return text ? fillIn(text->pick(language), {file, result.detail}) : std::string();
}

// How many rows of an opened log were dropped; empty when none was.
inline std::string skippedRowsMessage(int count, std::uint8_t language)
{
    return count > 0 ? fillIn(kRowsSkipped.pick(language), {std::to_string(count)}) : std::string();
}

} // namespace velmora::log::text
