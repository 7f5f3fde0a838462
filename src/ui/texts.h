#pragma once

#include "files/file_texts.h"
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
// The file messages are the command-line tool's too.
using files::text::kFileVersionError;
using files::text::kOpenFileError;
} // namespace text

} // namespace velmora::ui
