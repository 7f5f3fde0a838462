#pragma once

#include "model/triple.h"
#include "save_file.h"

// What the window and the command-line tool say about files, in one table for both.
namespace velmora::files::text {

inline constexpr Triple kOpenFileError{"Chyba při otevírání souboru!", "Open file error!",
                                       "Fehler beim öffnen der Datei!"};
inline constexpr Triple kFileVersionError{"Neshodná verze souboru *.ign!",
                                          "Unmatched version of *.ign file!",
                                          "Uneinig Version der Datendatei *.ign!"};
// An image file that ends before the last of the image's 600 numbers.
inline constexpr Triple kShortImageFile{"Soubor obrazu neobsahuje všech 600 bajtů!",
                                        "The image file does not hold all 600 bytes!",
                                        "Die Abbilddatei enthält nicht alle 600 Bytes!"};
// A save through a temporary file that could not be completed; the file that stood there is kept.
inline constexpr Triple kWriteFileErrorUnchanged{
    "Chyba při zápisu souboru! Původní soubor zůstal beze změny.",
    "Write file error! The previous file is unchanged.",
    "Fehler beim Schreiben der Datei! Die alte Datei bleibt unverändert."};
// A save that failed while the file was rewritten where it stands.
inline constexpr Triple kWriteFileError{"Chyba při zápisu souboru!", "Write file error!",
                                        "Fehler beim Schreiben der Datei!"};

// After a Read or a Program that succeeded but whose history entry could not be written; the
// path that failed follows.
inline constexpr Triple kHistoryNotWritten{
    "Záznam do historie jednotky nebyl zapsán:", "The unit history entry was not written:",
    "Der Eintrag im Geräteverlauf wurde nicht geschrieben:"};
// A backup before programming that could not be written: nothing is sent to the unit.
inline constexpr Triple kBackupNotWritten{
    "Zálohu jednotky nelze zapsat, nic nebylo odesláno:",
    "The backup of the unit could not be written, nothing was sent:",
    "Die Sicherung des Geräts konnte nicht geschrieben werden, nichts wurde gesendet:"};

// The message for a save that failed; nothing for one that succeeded.
constexpr const Triple *saveFailureText(SaveResult result)
{
    switch (result) {
    case SaveResult::Saved:
        return nullptr;
    case SaveResult::CannotCreate:
        return &kOpenFileError;
    case SaveResult::WriteFailed:
        return &kWriteFileErrorUnchanged;
    case SaveResult::WriteFailedInPlace:
        return &kWriteFileError;
    }
    return &kWriteFileError;
}

} // namespace velmora::files::text
