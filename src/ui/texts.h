#pragma once

#include <QString>

#include <cstdint>

namespace velmora::ui {

// A text the user reads exists in Czech, English and German; the language index picks one.
struct Triple {
    const char *czech;
    const char *english;
    const char *german;

    QString pick(std::uint8_t language) const
    {
        switch (language) {
        case 0:
            return QString::fromUtf8(czech);
        case 2:
            return QString::fromUtf8(german);
        default:
            return QString::fromUtf8(english);
        }
    }
};

namespace text {
inline constexpr Triple kDefaultsQuestion{"Chcete nastavit základní hodnoty?",
                                          "Do you want default setting?",
                                          "Wollen Sie Standardeinstellungen öffnen?"};
} // namespace text

} // namespace velmora::ui
