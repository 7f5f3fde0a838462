#pragma once

#include <cstdint>

namespace velmora {

// Every text the user reads exists in Czech, English and German (UTF-8); the language index
// picks one: 0 Czech, 1 English, 2 German.
struct Triple {
    const char *czech;
    const char *english;
    const char *german;

    constexpr const char *pick(std::uint8_t language) const
    {
        return language == 0 ? czech : language == 2 ? german : english;
    }
};

} // namespace velmora
