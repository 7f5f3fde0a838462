#pragma once

#include "model/triple.h"

#include <QString>

namespace velmora::ui {

inline QString pick(const Triple &triple, std::uint8_t language)
{
    return QString::fromUtf8(triple.pick(language));
}

namespace text {
inline constexpr Triple kDefaultsQuestion{"Chcete nastavit základní hodnoty?",
                                          "Do you want default setting?",
                                          "Wollen Sie Standardeinstellungen öffnen?"};
inline constexpr Triple kTpAxesDiffer{"Otáčky TP14 a TP23 nejsou stejné !",
                                      "Rpm on TP14 and TP23 are not the same !",
                                      "Uneinig Rpm TP14 und TP23!"};
inline constexpr Triple kOpenFileError{"Chyba při otevírání souboru!", "Open file error!",
                                       "Fehler beim öffnen der Datei!"};
inline constexpr Triple kFileVersionError{"Neshodná verze souboru *.ign!",
                                          "Unmatched version of *.ign file!",
                                          "Uneinig Version der Datendatei *.ign!"};
// A save that could not be completed; the file that stood there is kept.
inline constexpr Triple kWriteFileError{
    "Chyba při zápisu souboru! Původní soubor zůstal beze změny.",
    "Write file error! The previous file is unchanged.",
    "Fehler beim Schreiben der Datei! Die alte Datei bleibt unverändert."};
} // namespace text

} // namespace velmora::ui
