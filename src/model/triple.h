#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

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

// `pattern` with %1, %2, ... replaced in one pass, so that a value holding a '%' (a file name, a
// system text) comes out as it is.
inline std::string fillIn(const char *pattern, std::initializer_list<std::string> values)
{
    std::string out;
    for (const char *c = pattern; *c; ++c) {
        const bool placeholder = c[0] == '%' && c[1] >= '1' && c[1] <= '9' &&
                                 static_cast<std::size_t>(c[1] - '1') < values.size();
        if (placeholder) {
            out += values.begin()[c[1] - '1'];
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

} // namespace velmora
