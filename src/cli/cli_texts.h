#pragma once

#include "model/triple.h"

// Texts of the command-line tool that the window words the same way.
namespace velmora::cli::text {

inline constexpr Triple kOpenFileError{"Chyba při otevírání souboru!", "Open file error!",
                                       "Fehler beim öffnen der Datei!"};
inline constexpr Triple kFileVersionError{"Neshodná verze souboru *.ign!",
                                          "Unmatched version of *.ign file!",
                                          "Uneinig Version der Datendatei *.ign!"};
inline constexpr Triple kWriteFileError{"Chyba při zápisu souboru!", "Write file error!",
                                        "Fehler beim Schreiben der Datei!"};
inline constexpr Triple kDataError{"Chyba naprogramovaných dat!", "Programmed data error!",
                                   "Abgelegte Daten Fehler!"};
inline constexpr Triple kBlock{"blok", "block", "Block"};
inline constexpr Triple kOf{"z", "of", "von"};
// The one wording the window has for a silent line.
inline constexpr const char *kNoConnection = "No Connection";

} // namespace velmora::cli::text
