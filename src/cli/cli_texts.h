#pragma once

#include "files/file_texts.h"
#include "model/triple.h"

// Texts of the command-line tool that the window words the same way.
namespace velmora::cli::text {

using files::text::kFileVersionError;
using files::text::kOpenFileError;
using files::text::kShortImageFile;
inline constexpr Triple kDataError{"Chyba naprogramovaných dat!", "Programmed data error!",
                                   "Abgelegte Daten Fehler!"};
inline constexpr Triple kBlock{"blok", "block", "Block"};
inline constexpr Triple kOf{"z", "of", "von"};
// The one wording the window has for a silent line.
inline constexpr const char *kNoConnection = "No Connection";
// After the reason why the monitor could not read the unit's parameter set.
inline constexpr Triple kMonitorDefaults{"Monitor dekóduje podle výchozího nastavení modelu 0.",
                                         "The monitor decodes against the defaults of model 0.",
                                         "Der Monitor dekodiert mit den Vorgaben von Modell 0."};

} // namespace velmora::cli::text
