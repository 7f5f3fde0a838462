#pragma once

#include "files/file_texts.h"
#include "model/triple.h"

// Texts of the command-line tool that the window words the same way.
namespace velmora::cli::text {

using files::text::kFileVersionError;
using files::text::kOpenFileError;
inline constexpr Triple kDataError{"Chyba naprogramovaných dat!", "Programmed data error!",
                                   "Abgelegte Daten Fehler!"};
inline constexpr Triple kBlock{"blok", "block", "Block"};
inline constexpr Triple kOf{"z", "of", "von"};
// The one wording the window has for a silent line.
inline constexpr const char *kNoConnection = "No Connection";

} // namespace velmora::cli::text
