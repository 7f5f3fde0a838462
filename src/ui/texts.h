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
} // namespace text

} // namespace velmora::ui
