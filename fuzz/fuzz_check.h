#pragma once

#include <cstdlib>

namespace velmora::fuzz {

// A broken invariant is a finding like a crash: abort, so that libFuzzer keeps the input and the
// corpus replay fails.
inline void check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace velmora::fuzz
