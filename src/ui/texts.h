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
} // namespace text

} // namespace velmora::ui
